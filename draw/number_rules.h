// Value rules shared by the whole calculation: how a box text becomes a number, how that number
// becomes the 16-bit working integer, checked 16-bit arithmetic, and integers back to text.
// Texts are UTF-8.
#pragma once

#include <array>
#include <cstddef>
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

// Reads the leading number of a text, ignoring blanks wherever they stand (see the README for the
// rules).
// Text without a number reads as 0. Throws OverflowError when the number exceeds the double range.
double ValText(std::string_view text);

// Rounds half to even; throws OverflowError when the result leaves -32768..32767.
std::int16_t ToInt16(double value);

// Exact 16-bit arithmetic: each throws OverflowError instead of wrapping.
std::int16_t CheckedAdd(std::int16_t x, std::int16_t y);
std::int16_t CheckedSub(std::int16_t x, std::int16_t y);
std::int16_t CheckedMul(std::int16_t x, std::int16_t y);
std::int16_t CheckedAbs(std::int16_t x);

// A short text held in place rather than on the heap: the calculation's numbers and digit strings
// are a few bytes each, and building each as a std::string would cost more than all the
// arithmetic of a draw.
class ShortText {
public:
    static constexpr std::size_t kCapacity = 15; // three five-digit numbers

    ShortText() = default;
    ShortText(std::string_view text) { *this += text; }
    ShortText(const char* text) : ShortText(std::string_view(text)) {}

    // Throws std::length_error rather than cut the text short.
    ShortText& operator+=(std::string_view text)
    {
        if (text.size() > kCapacity - size_)
            throw std::length_error("text too long for a ShortText");
        for (const char c : text)
            chars_[size_++] = c;
        return *this;
    }

    operator std::string_view() const { return {chars_.data(), size_}; }

private:
    std::array<char, kCapacity> chars_{};
    std::size_t size_ = 0;
};

// Shortest decimal form: "0", "7", "-3".
ShortText IntText(std::int16_t value);

// The final code point of a UTF-8 text; empty for the empty text.
std::string_view LastChar(std::string_view text);

} // namespace draw
