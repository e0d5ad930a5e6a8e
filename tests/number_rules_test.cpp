#include "blanks.h"
#include "number_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace {

constexpr std::nullopt_t kOverflow = std::nullopt;

// What a rule gives, or kOverflow where it throws OverflowError.
template <typename Rule> auto Outcome(Rule rule) -> std::optional<decltype(rule())>
{
    try {
        return rule();
    } catch (const draw::OverflowError&) {
        return kOverflow;
    }
}

const std::string kMebibyte(1 << 20, ' ');
const std::string kMebibyteOfZeros(1 << 20, '0');

std::string Utf8(char32_t c)
{
    if (c < 0x80)
        return std::string(1, static_cast<char>(c));
    if (c < 0x800)
        return {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    return {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

// Blanks are exactly those of the list that the fuzz targets use too, all over the Basic
// Multilingual Plane: trimmed at both ends, and ignored between digits.
TEST(Blanks, AreExactlyTheListedCharacters)
{
    for (char32_t c = 1; c < 0x10000; ++c) {
        const std::string text = Utf8(c);
        const bool blank = std::count(std::begin(kBlanks), std::end(kBlanks), text) == 1;
        ASSERT_EQ(draw::Trim(text + "7" + text), blank ? "7" : text + "7" + text) << std::hex << c;
        ASSERT_EQ(draw::ValText("1" + text + "2") == 12, blank) << std::hex << c;
    }
}

// Plain numbers; radix prefixes; full-width forms, blanks, and other characters that end a
// number; exact to the last bit and linear in time however long; beyond the double range an
// overflow.
TEST(ValText, ReadsTheLeadingNumber)
{
    const std::string longHalfway = "9007199254740993" + std::string(2000, '0');
    const std::pair<std::string, std::optional<double>> cases[] = {
        // clang-format off
        {"  12  ", 12}, {"1 2", 12}, {"12abc", 12}, {"+4", 4}, {"-4", -4}, {"4.", 4}, {".5", 0.5},
        {"1E2", 100}, {"1e-2", 0.01}, {"1 e + 2", 100}, {"1,5", 1}, {"3.9.1", 3.9}, {"- 3", -3},
        {"00012.50", 12.5}, {"0.000123", 0.000123}, {"9999999999", 9999999999},
        {"abc", 0}, {"", 0}, {"-", 0}, {".", 0}, {"--3", 0}, {"+-3", 0}, {"e5", 0},
        {"1E", 1}, {"1e+", 1}, {"1e2x", 100}, {"1D2", 1}, {"0e999999", 0}, {"1e-400", 0},
        {"&H1F", 31}, {"&h1f", 31}, {"&O17", 15}, {"&o17", 15}, {"&H10", 16}, {"&O10", 8},
        {"&HFFFF", 65535}, {"&H9a@", 154}, {"&O8", 0}, {"&H", 0}, {"&X1", 0}, {"-&H1", 0},
        {"１２", 12}, {"－３", -3}, {"．５", 0.5}, {"１Ｅ２", 100}, {"１ｅ２", 100},
        {"＆Ｈ１Ｆ", 31}, {"１　２", 12}, {"\u202E12\u202C", 12}, {"5合", 5}, {"1。5", 1},
        {"1弐", 1},
        {"1弥2", 1}, {"\xFF+5", 0}, {"\xEF\xBC", 0}, {"\xC0\xB1", 0}, {"1\xE0\x80\xA0 2", 1},
        {"32767.49999999999999999", 32767.5}, {"2.50000000000000000001", 2.5},
        {"9007199254740993", 9007199254740992.0}, {longHalfway + "1e-2001", 9007199254740994.0},
        {longHalfway + "e-2000", 9007199254740992.0}, {"1e309", kOverflow}, {"-1e400", kOverflow},
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
        {std::string(400, '9'), kOverflow}, {"1e99999999999999999999", kOverflow},
        {"&H" + std::string(300, 'F'), kOverflow}, {"&O" + std::string(400, '7'), kOverflow},
        {std::string(1 << 20, '1'), kOverflow}, {kMebibyte, 0}, {"1" + kMebibyte + "2", 12},
        {kMebibyteOfZeros + "7", 7}, {"." + kMebibyteOfZeros + "1", 0},
        {"1" + kMebibyteOfZeros + "e-1048576", 1},
        // clang-format on
    };
    for (const auto& [text, value] : cases) {
        // Read through a view that stops short of a digit: nothing past its end may count.
        const std::string padded = text + "9";
        const std::string_view view = std::string_view(padded).substr(0, text.size());
        EXPECT_EQ(Outcome([&] { return draw::ValText(view); }), value) << text.substr(0, 30);
    }
}

// -32768 reads as itself, which no draw can show: a -32768 always overflows the span.
TEST(ToInt16, ReadsTheLeastAsItself)
{
    EXPECT_EQ(draw::ToInt16(-32768), -32768);
    EXPECT_EQ(draw::ToInt16(-32768.5), -32768);
}

// The last code point of a text, however many bytes it takes.
TEST(LastChar, CutsTheLastCodePoint)
{
    const std::pair<std::string_view, std::string_view> texts[] = {
        {"-3", "3"},  {"", ""},       {"a", "a"},
        {"合", "合"}, {"合值", "值"}, {"1\xF0\x9F\x8E\xB2", "\xF0\x9F\x8E\xB2"}};
    for (const auto& [text, last] : texts)
        EXPECT_EQ(draw::LastChar(text), last) << text;
}

} // namespace
