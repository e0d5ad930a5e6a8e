#include "form_design.h"

#include "number_rules.h"

namespace design {

std::string ErrorReport(const std::exception_ptr& error)
{
    constexpr std::string_view kPrefix = "运行时错误：";
    try {
        std::rethrow_exception(error);
    } catch (const draw::OverflowError&) {
        return std::string(kPrefix) + "溢出";
    } catch (const std::exception& other) {
        return std::string(kPrefix) + other.what();
    } catch (...) {
        return std::string(kPrefix) + "未知错误";
    }
}

} // namespace design
