#include "draw_analysis.h"

#include "number_rules.h"

#include <initializer_list>
#include <numeric>

namespace draw {

namespace {

// Every label after the first carries the single space that parts it from the value before it.
constexpr std::string_view kSumLabel = "合值：";
constexpr std::string_view kSumTailLabel = " 和尾：";
constexpr std::string_view kSpanLabel = " 跨度：";
constexpr std::string_view kPairSumsLabel = " 两码合：";
constexpr std::string_view kPairDifferencesLabel = " 两码差：";
constexpr std::string_view kPairProductsLabel = " 两码积：";

// Reserved once, then filled: a draw's digit strings fit in std::string's in-place buffer, so the
// report line is the one heap allocation of a draw.
std::string Join(std::initializer_list<std::string_view> parts)
{
    std::string joined;
    joined.reserve(std::accumulate(
        parts.begin(), parts.end(), std::size_t{0},
        [](std::size_t size, std::string_view part) { return size + part.size(); }));
    for (const std::string_view part : parts)
        joined += part;
    return joined;
}

std::string Tails(std::int16_t first, std::int16_t second, std::int16_t third)
{
    return Join({Qugewei(IntText(first)), Qugewei(IntText(second)), Qugewei(IntText(third))});
}

} // namespace

std::int16_t Max(std::int16_t x, std::int16_t y, std::int16_t z)
{
    const std::int16_t t = x >= y ? x : y;
    return t >= z ? t : z;
}

std::int16_t Min(std::int16_t a, std::int16_t b, std::int16_t c)
{
    const std::int16_t t = a <= b ? a : b;
    return t <= c ? t : c;
}

std::string Qugewei(std::string_view a)
{
    return std::string(LastChar(Trim(a)));
}

std::string FormatReportLine(const DrawReport& report)
{
    return Join({kSumLabel, IntText(report.sum), kSumTailLabel, report.sumTail, kSpanLabel,
                 IntText(report.span), kPairSumsLabel, report.pairSumTails, kPairDifferencesLabel,
                 report.pairDifferences, kPairProductsLabel, report.pairProductTails});
}

std::optional<std::string> AnalyseDraw(std::string_view first, std::string_view second,
                                       std::string_view third)
{
    const std::string_view trimmed[] = {Trim(first), Trim(second), Trim(third)};
    for (const std::string_view text : trimmed) {
        if (text.empty())
            return std::nullopt;
    }

    // Every step below may throw OverflowError; the order of the steps fixes which operation
    // is the one that fails.
    const double valueA = ValText(trimmed[0]);
    const double valueB = ValText(trimmed[1]);
    const double valueC = ValText(trimmed[2]);

    const std::int16_t a = ToInt16(valueA);
    const std::int16_t b = ToInt16(valueB);
    const std::int16_t c = ToInt16(valueC);

    const std::int16_t sum = CheckedAdd(CheckedAdd(a, b), c);
    const std::int16_t max = Max(a, b, c);
    const std::int16_t min = Min(a, b, c);
    const std::int16_t span = CheckedSub(max, min);

    const std::int16_t sab = CheckedAdd(a, b);
    const std::int16_t sac = CheckedAdd(a, c);
    const std::int16_t sbc = CheckedAdd(b, c);

    // No difference can overflow once the span has passed: none exceeds it in magnitude.
    const std::int16_t dab = CheckedSub(a, b);
    const std::int16_t dac = CheckedSub(a, c);
    const std::int16_t dbc = CheckedSub(b, c);

    const std::int16_t pab = CheckedMul(a, b);
    const std::int16_t pac = CheckedMul(a, c);
    const std::int16_t pbc = CheckedMul(b, c);

    return FormatReportLine(
        {sum, Qugewei(IntText(sum)), span, Tails(sab, sac, sbc),
         Join({IntText(CheckedAbs(dab)), IntText(CheckedAbs(dac)), IntText(CheckedAbs(dbc))}),
         Tails(pab, pac, pbc)});
}

} // namespace draw
