// The analysis of one draw of three numbers: from the three box texts to the report line.
#pragma once

#include "number_rules.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace draw {

// The statistics of one draw, in report order. The pairs are always (a, b), (a, c), (b, c).
struct DrawReport {
    std::int16_t sum = 0;
    std::string sumTail;          // last digit of the sum
    std::int16_t span = 0;        // greatest minus least
    std::string pairSumTails;     // last digits of the three pair sums
    std::string pairDifferences;  // the three absolute differences, in full
    std::string pairProductTails; // last digits of the three pair products
};

std::int16_t Max(std::int16_t x, std::int16_t y, std::int16_t z);
std::int16_t Min(std::int16_t a, std::int16_t b, std::int16_t c);

// The last digit of an integer's text; for "-3" that is "3". A copy, one character long, so it
// fits std::string's own buffer.
std::string Qugewei(std::string_view a);

std::string FormatReportLine(const DrawReport& report);

// The report line for the draw, or std::nullopt when a text is blank after trimming.
// Throws OverflowError when a value leaves the 16-bit range; nothing is returned then.
std::optional<std::string> AnalyseDraw(std::string_view first, std::string_view second,
                                       std::string_view third);

} // namespace draw
