#include "draw_analysis.h"

#include "number_rules.h"

#include <algorithm>
#include <initializer_list>

namespace draw {

namespace {

// Every label after the first carries the single space that parts it from the value before it.
constexpr std::string_view kSumLabel = "合值：";
constexpr std::string_view kSumTailLabel = " 和尾：";
constexpr std::string_view kSpanLabel = " 跨度：";
constexpr std::string_view kPairSumsLabel = " 两码合：";
constexpr std::string_view kPairDifferencesLabel = " 两码差：";
constexpr std::string_view kPairProductsLabel = " 两码积：";

ShortText Tails(std::int16_t first, std::int16_t second, std::int16_t third)
{
    ShortText tails;
    for (const std::int16_t value : {first, second, third})
        tails += Qugewei(IntText(value));
    return tails;
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

std::string_view Qugewei(std::string_view a)
{
    return LastChar(Trim(a));
}

std::string FormatReportLine(const DrawReport& report)
{
    const ShortText sum = IntText(report.sum);
    const ShortText span = IntText(report.span);
    const std::string_view parts[] = {kSumLabel,
                                      sum,
                                      kSumTailLabel,
                                      report.sumTail,
                                      kSpanLabel,
                                      span,
                                      kPairSumsLabel,
                                      report.pairSumTails,
                                      kPairDifferencesLabel,
                                      report.pairDifferences,
                                      kPairProductsLabel,
                                      report.pairProductTails};
    // The line is the one allocation of a draw: sized once, then filled.
    std::size_t size = 0;
    for (const std::string_view part : parts)
        size += part.size();
    std::string line(size, '\0');
    char* out = line.data();
    for (const std::string_view part : parts)
        out = std::copy(part.begin(), part.end(), out);
    return line;
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

    DrawReport report;
    report.sum = CheckedAdd(CheckedAdd(a, b), c);
    report.sumTail = Qugewei(IntText(report.sum));

    const std::int16_t max = Max(a, b, c);
    const std::int16_t min = Min(a, b, c);
    report.span = CheckedSub(max, min);

    const std::int16_t sab = CheckedAdd(a, b);
    const std::int16_t sac = CheckedAdd(a, c);
    const std::int16_t sbc = CheckedAdd(b, c);
    report.pairSumTails = Tails(sab, sac, sbc);

    const std::int16_t dab = CheckedSub(a, b);
    const std::int16_t dac = CheckedSub(a, c);
    const std::int16_t dbc = CheckedSub(b, c);
    for (const std::int16_t difference : {dab, dac, dbc})
        report.pairDifferences += IntText(CheckedAbs(difference));

    const std::int16_t pab = CheckedMul(a, b);
    const std::int16_t pac = CheckedMul(a, c);
    const std::int16_t pbc = CheckedMul(b, c);
    report.pairProductTails = Tails(pab, pac, pbc);

    return FormatReportLine(report);
}

} // namespace draw
