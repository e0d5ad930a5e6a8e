#include "number_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using draw::OverflowError;

const std::string kMebibyte(std::size_t{1} << 20, ' ');

std::string Repeat(char c, std::size_t count)
{
    return std::string(count, c);
}

TEST(Trim, RemovesBlanksAtBothEnds)
{
    const struct {
        std::string text;
        std::string trimmed;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"  12  ", "12"},
        {" 1 2 ", "1 2"},
        {"\t7\t", "7"},
        {"\xE3\x80\x80", ""},
        {"\xE3\x80\x80 \t5\xE3\x80\x80 ", "5"},
        {"5\xE3\x80\x80", "5"},
        {"\xE3\x80\x80"
         "5",
         "5"},
        {"\xE3\x80", "\xE3\x80"},
        {"\n1\r\n", "1"},
        {"\u00A07\u00A0", "7"},
        {"\u200F7\u200F", "7"},
        {"\u202E12\u202C", "12"},
        {"\uFEFF\u2060\u3000", ""},
        {"\xC2", "\xC2"},
        {"合", "合"},
        {kMebibyte, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(draw::Trim(c.text), c.trimmed) << '"' << c.text.substr(0, 20) << '"';
}

TEST(ValText, ReadsTheLeadingNumber)
{
    const struct {
        std::string text;
        double value;
    } cases[] = {
        // Plain decimal reading.
        {"  12  ", 12},
        {"1 2", 12},
        {"12abc", 12},
        {"+4", 4},
        {"-4", -4},
        {"4.", 4},
        {".5", 0.5},
        {"1E2", 100},
        {"1e-2", 0.01},
        {"1 e + 2", 100},
        {"1,5", 1},
        {"7abc", 7},
        {"3.9.1", 3.9},
        {"- 3", -3},
        {"\t1\n2", 12},
        {"00012.50", 12.5},
        {"0.000123", 0.000123},
        {"2.5", 2.5},
        // No number at all.
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {".", 0},
        {"--3", 0},
        {"+-3", 0},
        {"e5", 0},
        // An unfinished exponent is no exponent; D is not an exponent letter.
        {"1E", 1},
        {"1e+", 1},
        {"1D2", 1},
        {"0e999999", 0},
        {"1e-400", 0},
        // Radix prefixes, either case, non-negative.
        {"&H1F", 31},
        {"&h1f", 31},
        {"&O17", 15},
        {"&o17", 15},
        {"&HFFFF", 65535},
        {"&O8", 0},
        {"&H", 0},
        {"&X1", 0},
        {"-&H1", 0},
        // Full-width forms read as their ASCII twins; other non-ASCII ends the number.
        {"１２", 12},
        {"－３", -3},
        {"．５", 0.5},
        {"１Ｅ２", 100},
        {"＆Ｈ１Ｆ", 31},
        {"1\xE3\x80\x80"
         "2",
         12},
        {"１　２", 12},
        {"1\u00A02", 12},
        {"\u200F7\u200F", 7},
        {"\u202E12\u202C", 12},
        {"1\r\n2", 12},
        {"1。5", 1},
        {"5合", 5},
        {"\xFF"
         "5",
         0},
        {"\xEF\xBC", 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(draw::ValText(c.text), c.value) << '"' << c.text << '"';
}

TEST(ValText, RoundsLongMantissasCorrectly)
{
    // 2^53 + 1 lies halfway between two doubles and goes to the even one, 2^53; a non-zero digit
    // two thousand places later puts it above halfway, so it must round up to 2^53 + 2.
    EXPECT_EQ(draw::ValText("9007199254740993"), 9007199254740992.0);
    EXPECT_EQ(draw::ValText(".9007199254740993" + Repeat('0', 2000) + "1e16"), 9007199254740994.0);
    EXPECT_EQ(draw::ValText("9007199254740993" + Repeat('0', 2000) + "e-2000"), 9007199254740992.0);
}

TEST(ValText, ReadsHugeTextsInFull)
{
    EXPECT_EQ(draw::ValText(kMebibyte), 0);
    EXPECT_EQ(draw::ValText("1" + kMebibyte + "2"), 12);
    EXPECT_EQ(draw::ValText(Repeat('0', 1 << 20) + "7"), 7);
    EXPECT_EQ(draw::ValText("." + Repeat('0', 1 << 20) + "1"), 0);
    EXPECT_EQ(draw::ValText("1" + Repeat('0', 1 << 20) + "e-1048576"), 1);
}

TEST(ValText, NumbersBeyondTheDoubleRangeOverflow)
{
    const std::string cases[] = {
        "1e400",
        "-1e400",
        "1e309",
        Repeat('9', 400),
        "1e99999999999999999999999",
        "&H" + Repeat('F', 300),
        "&O" + Repeat('7', 400),
        Repeat('1', 1 << 20),
    };
    for (const auto& text : cases)
        EXPECT_THROW(draw::ValText(text), OverflowError) << text.substr(0, 30);
    EXPECT_DOUBLE_EQ(draw::ValText("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

TEST(ToInt16, RoundsHalvesToEven)
{
    const struct {
        double value;
        int rounded;
    } cases[] = {
        {0.5, 0},           {1.5, 2},           {2.5, 2},         {3.5, 4},
        {-0.5, 0},          {-1.5, -2},         {-2.5, -2},       {0.49999, 0},
        {0.50001, 1},       {-0.0, 0},          {32767.4, 32767}, {-32768, -32768},
        {-32768.5, -32768}, {-32767.5, -32768}, {32766.5, 32766},
    };
    for (const auto& c : cases)
        EXPECT_EQ(draw::ToInt16(c.value), c.rounded) << c.value;
}

TEST(ToInt16, ValuesOutsideTheRangeAfterRoundingOverflow)
{
    const double cases[] = {32767.5,
                            32768,
                            40000,
                            -32768.6,
                            -32769.5,
                            1e300,
                            -1e300,
                            std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
    for (const double value : cases)
        EXPECT_THROW(draw::ToInt16(value), OverflowError) << value;
}

TEST(CheckedArithmetic, FailsExactlyOutsideTheRange)
{
    enum class Op { Add, Sub, Mul, Abs };
    constexpr int kOverflow = 99999;
    const struct {
        Op op;
        int x;
        int y;
        int result;
    } cases[] = {
        {Op::Add, 32767, 1, kOverflow},
        {Op::Add, 32766, 1, 32767},
        {Op::Add, -32768, -1, kOverflow},
        {Op::Add, -32768, 32767, -1},
        {Op::Sub, -32768, 1, kOverflow},
        {Op::Sub, 0, -32768, kOverflow},
        {Op::Sub, -1, 32767, -32768},
        {Op::Sub, 32767, -1, kOverflow},
        {Op::Mul, 200, 200, kOverflow},
        {Op::Mul, 181, 181, 32761},
        {Op::Mul, -32768, 1, -32768},
        {Op::Mul, -32768, -1, kOverflow},
        {Op::Mul, -182, 180, -32760},
        {Op::Mul, 256, 128, kOverflow},
        {Op::Abs, -32768, 0, kOverflow},
        {Op::Abs, -32767, 0, 32767},
        {Op::Abs, 5, 0, 5},
        {Op::Abs, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const auto x = static_cast<std::int16_t>(c.x);
        const auto y = static_cast<std::int16_t>(c.y);
        const auto run = [&] {
            switch (c.op) {
            case Op::Add:
                return draw::CheckedAdd(x, y);
            case Op::Sub:
                return draw::CheckedSub(x, y);
            case Op::Mul:
                return draw::CheckedMul(x, y);
            case Op::Abs:
                return draw::CheckedAbs(x);
            }
            return std::int16_t{0};
        };
        if (c.result == kOverflow)
            EXPECT_THROW(run(), OverflowError)
                << c.x << " op " << static_cast<int>(c.op) << ' ' << c.y;
        else
            EXPECT_EQ(run(), c.result) << c.x << " op " << static_cast<int>(c.op) << ' ' << c.y;
    }
}

TEST(IntTextAndLastChar, WriteAndCutTexts)
{
    const struct {
        int value;
        std::string text;
    } numbers[] = {{0, "0"},         {7, "7"},           {-3, "-3"},
                   {32767, "32767"}, {-32768, "-32768"}, {100, "100"}};
    for (const auto& c : numbers)
        EXPECT_EQ(draw::IntText(static_cast<std::int16_t>(c.value)), c.text);

    const struct {
        std::string text;
        std::string last;
    } texts[] = {{"-3", "3"},
                 {"", ""},
                 {"a", "a"},
                 {"32767", "7"},
                 {"合值", "值"},
                 {"x：", "："},
                 {"1\xF0\x9F\x8E\xB2", "\xF0\x9F\x8E\xB2"}};
    for (const auto& c : texts)
        EXPECT_EQ(draw::LastChar(c.text), c.last) << c.text;
}

} // namespace
