// AnalyseDraw on any three texts (split at NUL bytes) has exactly one outcome: missing input
// exactly when a text is blank after trimming, OverflowError, or a well-formed report line. A box
// of blanks only is missing input, whatever the other boxes hold.
#include "blanks.h"
#include "draw_analysis.h"
#include "number_rules.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool AllDigits(std::string_view text)
{
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.empty();
}

bool IsIntegerText(std::string_view text)
{
    if (!text.empty() && text.front() == '-')
        text.remove_prefix(1);
    return AllDigits(text) && (text.size() == 1 || text.front() != '0');
}

void CheckLine(std::string_view line)
{
    constexpr std::array<std::string_view, 6> kLabels = {"合值：",   "和尾：",   "跨度：",
                                                         "两码合：", "两码差：", "两码积："};
    std::array<std::string_view, 6> values{};
    for (std::size_t i = 0; i < kLabels.size(); ++i) {
        Require(line.substr(0, kLabels[i].size()) == kLabels[i]);
        line.remove_prefix(kLabels[i].size());
        const std::size_t end = i + 1 < kLabels.size() ? line.find(' ') : line.size();
        Require(end != std::string_view::npos);
        values[i] = line.substr(0, end);
        line.remove_prefix(end + (i + 1 < kLabels.size() ? 1 : 0));
    }
    Require(line.empty());
    const auto [sum, sumTail, span, pairSums, pairDifferences, pairProducts] = values;
    Require(IsIntegerText(sum));
    Require(sumTail.size() == 1 && sumTail.back() == sum.back());
    Require(IsIntegerText(span) && span.front() != '-');
    Require(pairSums.size() == 3 && AllDigits(pairSums));
    Require(pairDifferences.size() >= 3 && AllDigits(pairDifferences));
    Require(pairProducts.size() == 3 && AllDigits(pairProducts));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::array<std::string_view, 3> texts{};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::size_t end = i + 1 < texts.size() ? input.find('\0') : input.size();
        texts[i] = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    }

    std::string onlyBlanks;
    for (const char c : texts[1])
        onlyBlanks += kBlanks[static_cast<unsigned char>(c) % std::size(kBlanks)];
    Require(!draw::AnalyseDraw(texts[0], onlyBlanks, texts[2]));

    const bool blank = draw::Trim(texts[0]).empty() || draw::Trim(texts[1]).empty() ||
                       draw::Trim(texts[2]).empty();
    std::optional<std::string> line;
    try {
        line = draw::AnalyseDraw(texts[0], texts[1], texts[2]);
    } catch (const draw::OverflowError&) {
        Require(!blank);
        return 0;
    }
    Require(blank == !line.has_value());
    if (line)
        CheckLine(*line);
    return 0;
}
