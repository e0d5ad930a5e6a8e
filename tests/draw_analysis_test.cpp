#include "draw_analysis.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

const std::string kMissing = "missing input";
const std::string kOverflow = "overflow";
const std::string kMebibyte(1 << 20, ' ');

// AnalyseDraw's outcome as one text: the report line, kMissing or kOverflow. Each box is read
// through a view that stops short of bytes that would end a sequence cut short as a blank, and of a
// digit: nothing past its end may count.
std::string Outcome(const std::string& first, const std::string& second, const std::string& third)
{
    const std::string padded[] = {first + "\x80\x80"
                                          "9",
                                  second + "\x80\x80"
                                           "9",
                                  third + "\x80\x80"
                                          "9"};
    const auto box = [&padded](std::size_t at) {
        return std::string_view(padded[at]).substr(0, padded[at].size() - 3);
    };
    try {
        return draw::AnalyseDraw(box(0), box(1), box(2)).value_or(kMissing);
    } catch (const draw::OverflowError&) {
        return kOverflow;
    }
}

TEST(AnalyseDraw, GivesTheLineMissingInputOrOverflow)
{
    const std::string cases[][4] = {
        // the three boxes, and the outcome
        // clang-format off
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
        {"\u3000３", "\t2", "1\u00A0",
         "合值：6 和尾：6 跨度：2 两码合：543 两码差：121 两码积：632"},
        {"-7", "-7", "-7", "合值：-21 和尾：1 跨度：0 两码合：444 两码差：000 两码积：999"},
        {"-32767", "-1", "0",
         "合值：-32768 和尾：8 跨度：32767 两码合：871 两码差：32766327671 两码积：700"},
        // A sequence cut short, stray continuation bytes and overlong forms of blanks are neither
        // blanks nor digits.
        {"\xC0\xA0\xE0\x80\xA0\xF0\x83\x80\x80\xE3\x80", "\x89\xA0", "7\xE3",
         "合值：7 和尾：7 跨度：7 两码合：077 两码差：077 两码积：000"},
        // A box of blanks anywhere is missing input; that check comes first, before any overflow.
        {"", "2", "3", kMissing}, {"1", "\n\r\n", "3", kMissing}, {"1", "2", kMebibyte, kMissing},
        {"1", "2", "\u00A0\u3000", kMissing},
        {"1e400", "", "1", kMissing}, {"40000", "2", " ", kMissing},
        {std::string(400, '9'), "\u200B", "40000", kMissing},
        // Overflow at each step that can fail, with nothing delivered.
        {"1e400", "1", "1", kOverflow}, {"1", "1", std::string(400, '9'), kOverflow},
        {"40000", "1", "1", kOverflow}, {"1", "1", "32767.5", kOverflow},
        {"30000", "30000", "-30000", kOverflow}, {"30000", "2000", "1000", kOverflow},
        {"-32768", "-1", "1", kOverflow}, {"-1", "32767", "0", kOverflow},
        {"-32768", "0", "0", kOverflow}, {"20000", "-10000", "20000", kOverflow},
        {"-10000", "20000", "20000", kOverflow}, {"200", "200", "1", kOverflow},
        {"200", "1", "200", kOverflow}, {"1", "200", "200", kOverflow},
        {"-182", "0", "181", kOverflow},
        // clang-format on
    };
    for (const auto& [first, second, third, outcome] : cases)
        EXPECT_EQ(Outcome(first, second, third), outcome) << first.substr(0, 9) << ' ' << second;
}

} // namespace
