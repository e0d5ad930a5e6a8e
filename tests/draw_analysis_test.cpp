#include "draw_analysis.h"
#include "number_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

TEST(AnalyseDraw, GivesTheReportLine)
{
    const struct {
        std::string first, second, third, line;
    } cases[] = {
        {"1", "2", "3", "合值：6 和尾：6 跨度：2 两码合：345 两码差：121 两码积：236"},
        {"9", "8", "7", "合值：24 和尾：4 跨度：2 两码合：765 两码差：121 两码积：236"},
        {"0", "0", "0", "合值：0 和尾：0 跨度：0 两码合：000 两码差：000 两码积：000"},
        {"12", "3", "4", "合值：19 和尾：9 跨度：9 两码合：567 两码差：981 两码积：682"},
        {" 5 ", "5", "5", "合值：15 和尾：5 跨度：0 两码合：000 两码差：000 两码积：555"},
        {"x", "2", "3", "合值：5 和尾：5 跨度：3 两码合：235 两码差：231 两码积：006"},
        {"2.5", "3.5", "1", "合值：7 和尾：7 跨度：3 两码合：635 两码差：213 两码积：824"},
        {"-3", "1", "1", "合值：-1 和尾：1 跨度：4 两码合：222 两码差：440 两码积：331"},
        {"32767", "0", "0",
         "合值：32767 和尾：7 跨度：32767 两码合：770 两码差：32767327670 两码积：000"},
        {"9", "9", "9", "合值：27 和尾：7 跨度：0 两码合：888 两码差：000 两码积：111"},
        {"\xE3\x80\x80３", "\t2", "1 ",
         "合值：6 和尾：6 跨度：2 两码合：543 两码差：121 两码积：632"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(draw::AnalyseDraw(c.first, c.second, c.third), c.line)
            << c.first << ' ' << c.second << ' ' << c.third;
    }
}

TEST(AnalyseDraw, ABlankBoxIsMissingInput)
{
    const std::string blanks[] = {"",       "   ",  "\t",     "\xE3\x80\x80", " \xE3\x80\x80\t ",
                                  "\n\n\n", "\r\n", "\u00A0", "\u200B"};
    for (const auto& blank : blanks) {
        EXPECT_EQ(draw::AnalyseDraw(blank, "2", "3"), std::nullopt) << '"' << blank << '"';
        EXPECT_EQ(draw::AnalyseDraw("1", blank, "3"), std::nullopt) << '"' << blank << '"';
        EXPECT_EQ(draw::AnalyseDraw("1", "2", blank), std::nullopt) << '"' << blank << '"';
    }
    // The blank check comes before any number is read, so it wins over an input that would
    // overflow.
    EXPECT_EQ(draw::AnalyseDraw("1e400", "", "1"), std::nullopt);
    EXPECT_EQ(draw::AnalyseDraw("40000", "2", " "), std::nullopt);
    EXPECT_EQ(draw::AnalyseDraw(std::string(400, '9'), "40000", "\t"), std::nullopt);
    // Text that is not blank but holds no number reads as 0 instead.
    EXPECT_NE(draw::AnalyseDraw("x", "-", "."), std::nullopt);
}

TEST(AnalyseDraw, OverflowAbandonsTheAnalysis)
{
    const struct {
        std::string first, second, third;
    } cases[] = {
        {"1e400", "1", "1"},               // reading an input
        {"1", "1", std::string(400, '9')}, // reading an input
        {"40000", "1", "1"},               // converting an input in the sum
        {"1", "1", "32767.5"},             // converting an input in the sum
        {"30000", "30000", "-30000"},      // a + b, although the total is in range
        {"30000", "2000", "1000"},         // adding c
        {"-32768", "-1", "1"},             // a + b, downwards
        {"-1", "32767", "0"},              // the span
        {"-32768", "0", "0"},              // the span
        {"20000", "-10000", "20000"},      // a + c, after sum and span passed
        {"-10000", "20000", "20000"},      // b + c
        {"200", "200", "1"},               // a * b
        {"200", "1", "200"},               // a * c
        {"1", "200", "200"},               // b * c
        {"-182", "0", "181"},              // a * c, downwards
    };
    for (const auto& c : cases)
        EXPECT_THROW(draw::AnalyseDraw(c.first, c.second, c.third), draw::OverflowError)
            << c.first.substr(0, 10) << ' ' << c.second << ' ' << c.third.substr(0, 10);
    // Just inside every limit.
    EXPECT_NE(draw::AnalyseDraw("181", "181", "0"), std::nullopt);
    EXPECT_NE(draw::AnalyseDraw("181", "-181", "0"), std::nullopt);
}

TEST(AnalyseDraw, EveryDigitDrawMatchesPlainArithmetic)
{
    const auto last = [](int value) { return std::to_string(std::abs(value) % 10); };
    for (int a = 0; a <= 9; ++a) {
        for (int b = 0; b <= 9; ++b) {
            for (int c = 0; c <= 9; ++c) {
                const int sum = a + b + c;
                const int span = std::max({a, b, c}) - std::min({a, b, c});
                const std::string expected =
                    "合值：" + std::to_string(sum) + " 和尾：" + last(sum) + " 跨度：" +
                    std::to_string(span) + " 两码合：" + last(a + b) + last(a + c) + last(b + c) +
                    " 两码差：" + std::to_string(std::abs(a - b)) +
                    std::to_string(std::abs(a - c)) + std::to_string(std::abs(b - c)) +
                    " 两码积：" + last(a * b) + last(a * c) + last(b * c);
                EXPECT_EQ(
                    draw::AnalyseDraw(std::to_string(a), std::to_string(b), std::to_string(c)),
                    expected);
            }
        }
    }
}

TEST(DrawHelpers, MaxMinAndQugewei)
{
    const struct {
        int x, y, z, max, min;
    } triples[] = {{1, 2, 3, 3, 1},
                   {3, 2, 1, 3, 1},
                   {2, 3, 1, 3, 1},
                   {5, 5, 5, 5, 5},
                   {-32768, 32767, 0, 32767, -32768},
                   {-1, -3, -2, -1, -3}};
    for (const auto& t : triples) {
        const auto x = static_cast<std::int16_t>(t.x);
        const auto y = static_cast<std::int16_t>(t.y);
        const auto z = static_cast<std::int16_t>(t.z);
        EXPECT_EQ(draw::Max(x, y, z), t.max);
        EXPECT_EQ(draw::Min(x, y, z), t.min);
    }
    EXPECT_EQ(draw::Qugewei("-3"), "3");
    EXPECT_EQ(draw::Qugewei("32767"), "7");
    EXPECT_EQ(draw::Qugewei("0"), "0");
    EXPECT_EQ(draw::Qugewei(" 40 "), "0");
}

TEST(DrawHelpers, FormatReportLineJoinsTheSixFields)
{
    const draw::DrawReport report{-12, "2", 345, "678", "90", "123"};
    EXPECT_EQ(draw::FormatReportLine(report),
              "合值：-12 和尾：2 跨度：345 两码合：678 两码差：90 两码积：123");
}

} // namespace
