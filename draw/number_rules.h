// Value rules shared by the whole calculation: how a box text becomes a number, how that number
// becomes the 16-bit working integer, checked 16-bit arithmetic, and integers back to text.
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace draw {

// The one error of the calculation: a value left the range it must fit in.
class OverflowError : public std::overflow_error {
public:
    OverflowError();
};

// Removes blanks from both ends; inner ones stay. A blank is a Unicode white-space character
// (space, tab, line feed, no-break space, ideographic space U+3000, ...) or an invisible formatting
// character (direction marks, zero-width spaces, the byte order mark).
std::string_view Trim(std::string_view text);

// Reads the leading number of a text, ignoring blanks wherever they stand (docs/numbers.md gives
// the rules). Text without a number reads as 0. Throws OverflowError when the number exceeds the
// double range.
double ValText(std::string_view text);

// Rounds half to even; throws OverflowError when the result leaves -32768..32767.
std::int16_t ToInt16(double value);

// Exact 16-bit arithmetic: each throws OverflowError instead of wrapping.
std::int16_t CheckedAdd(std::int16_t x, std::int16_t y);
std::int16_t CheckedSub(std::int16_t x, std::int16_t y);
std::int16_t CheckedMul(std::int16_t x, std::int16_t y);
std::int16_t CheckedAbs(std::int16_t x);

// Shortest decimal form: "0", "7", "-3".
std::string IntText(std::int16_t value);

// The final code point of a UTF-8 text; empty for the empty text.
std::string_view LastChar(std::string_view text);

} // namespace draw
