#include "number_rules.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <system_error>
#include <utility>

namespace draw {

OverflowError::OverflowError() : std::overflow_error("overflow") {}

namespace {

struct CodePoint {
    char32_t value;
    std::size_t size; // in bytes
};

// The code point that starts a non-empty UTF-8 text. A byte that does not start a sequence (a
// stray continuation byte, an overlong form that could pass for ASCII or a blank, a sequence cut
// short) reads as U+FFFD of one byte, which no rule here accepts. A surrogate or a value beyond
// U+10FFFF decodes as itself, which no rule accepts either.
CodePoint Decode(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text.front());
    if (lead < 0x80)
        return {lead, 1};
    constexpr CodePoint kInvalid = {0xFFFD, 1};
    std::size_t size = 0; // a lead byte's leading one bits count the bytes of its sequence
    for (unsigned bit = 0x80; (lead & bit) != 0; bit >>= 1)
        ++size;
    if (size < 2 || size > 4 || size > text.size())
        return kInvalid;
    char32_t value = lead & (0x7Fu >> size);
    for (std::size_t i = 1; i < size; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return kInvalid;
        value = value << 6 | (next & 0x3Fu);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return value < kSmallest[size] ? kInvalid : CodePoint{value, size};
}

// Unicode's white space and the invisible formatting characters (direction marks, zero-width
// spaces and joiners, the byte order mark) that pasted text carries: a person sees nothing there,
// so nothing there counts.
bool IsBlank(char32_t c)
{
    constexpr std::pair<char32_t, char32_t> kBlanks[] = {
        {'\t', '\r'},     {' ', ' '},       {0x85, 0x85},     {0xA0, 0xA0},
        {0x61C, 0x61C},   {0x1680, 0x1680}, {0x2000, 0x200F}, {0x2028, 0x202F},
        {0x205F, 0x2060}, {0x2066, 0x2069}, {0x3000, 0x3000}, {0xFEFF, 0xFEFF}};
    return std::any_of(std::begin(kBlanks), std::end(kBlanks),
                       [c](const auto& range) { return c >= range.first && c <= range.second; });
}

// The size in bytes of the blank that starts a text; 0 when it starts with anything else.
std::size_t BlankSize(std::string_view text)
{
    if (text.empty())
        return 0;
    const CodePoint c = Decode(text);
    return IsBlank(c.value) ? c.size : 0;
}

bool IsLetter(char c, char upper)
{
    return c == upper || c == upper - 'A' + 'a';
}

std::int16_t FitInt16(std::int32_t value)
{
    if (value < INT16_MIN || value > INT16_MAX)
        throw OverflowError();
    return static_cast<std::int16_t>(value);
}

// Walks a text as the number reader sees it: blanks vanish, a full-width form U+FF01..U+FF5E
// reads as its ASCII twin (what a Chinese input method types in full-width mode), and any other
// non-ASCII character reads as '\0', which no number can continue with.
class NumberScanner {
public:
    explicit NumberScanner(std::string_view text) : text_(text) { Load(); }

    char Peek() const { return current_; }

    void Next()
    {
        text_.remove_prefix(length_);
        Load();
    }

private:
    void Load()
    {
        for (;; text_.remove_prefix(length_)) {
            if (text_.empty()) {
                length_ = 0;
                current_ = '\0';
                return;
            }
            const CodePoint c = Decode(text_);
            length_ = c.size;
            if (!IsBlank(c.value)) {
                current_ = AsciiTwin(c.value);
                return;
            }
        }
    }

    static char AsciiTwin(char32_t c)
    {
        if (c < 0x80)
            return static_cast<char>(c);
        if (c >= 0xFF01 && c <= 0xFF5E)
            return static_cast<char>(c - 0xFF01 + 0x21);
        return '\0';
    }

    std::string_view text_; // what is still to be read, from the current character on
    std::size_t length_ = 0;
    char current_ = '\0';
};

// "&H" and "&O" values: a non-negative whole number of any length.
double ReadRadix(NumberScanner& in, int base)
{
    double value = 0.0;
    unsigned digit = 0;
    for (char c = in.Peek(); std::from_chars(&c, &c + 1, digit, base).ec == std::errc();
         c = in.Peek()) {
        value = value * base + digit;
        if (std::isinf(value))
            throw OverflowError();
        in.Next();
    }
    return value;
}

// 767 significant digits decide the rounding of any double; the digits past the kept ones only
// matter through whether any of them is non-zero, which one extra '1' stands for. This keeps the
// conversion exact while bounding its work however long the text is.
constexpr std::size_t kKeptDigits = 780;
// Far beyond any double exponent; caps the exponent so that a long run of digits cannot overflow
// it.
constexpr std::int64_t kExponentCap = 1'000'000'000;
// 0.1e400 already exceeds the double range, and 0.9e-400 is below its smallest value.
constexpr std::int64_t kExponentLimit = 400;

double ReadDecimal(NumberScanner& in)
{
    // Collected as [-]<digits>e<scale>, the locale-independent form that std::from_chars reads;
    // the value read is 0.<digits> x 10^pointExponent.
    std::array<char, 1 + kKeptDigits + 1 + 1 + 20> number;
    std::size_t size = 0;
    if (in.Peek() == '+' || in.Peek() == '-') {
        if (in.Peek() == '-')
            number[size++] = '-';
        in.Next();
    }
    const std::size_t firstDigit = size;
    bool droppedNonZero = false;
    std::int64_t pointExponent = 0;
    bool anyDigit = false;
    bool afterPoint = false;
    for (;; in.Next()) {
        const char c = in.Peek();
        if (c == '.' && !afterPoint) {
            afterPoint = true;
            continue;
        }
        if (c < '0' || c > '9')
            break;
        anyDigit = true;
        if (size == firstDigit && c == '0') {
            if (afterPoint)
                --pointExponent;
            continue;
        }
        if (!afterPoint)
            ++pointExponent;
        if (size - firstDigit < kKeptDigits)
            number[size++] = c;
        else if (c != '0')
            droppedNonZero = true;
    }
    if (!anyDigit)
        return 0.0;

    std::int64_t exponent = 0;
    if (IsLetter(in.Peek(), 'E')) {
        in.Next();
        bool exponentNegative = false;
        if (in.Peek() == '+' || in.Peek() == '-') {
            exponentNegative = in.Peek() == '-';
            in.Next();
        }
        for (char c = in.Peek(); c >= '0' && c <= '9'; c = in.Peek()) {
            if (exponent < kExponentCap)
                exponent = exponent * 10 + (c - '0');
            in.Next();
        }
        if (exponentNegative)
            exponent = -exponent;
    }

    const std::int64_t totalExponent = pointExponent + exponent;
    if (size == firstDigit || totalExponent < -kExponentLimit)
        return 0.0;
    if (totalExponent > kExponentLimit)
        throw OverflowError();
    if (droppedNonZero)
        number[size++] = '1';
    const auto digitCount = static_cast<std::int64_t>(size - firstDigit);
    number[size++] = 'e';
    const char* const end =
        std::to_chars(&number[size], number.data() + number.size(), totalExponent - digitCount).ptr;

    double value = 0.0;
    if (std::from_chars(number.data(), end, value).ec == std::errc::result_out_of_range) {
        if (totalExponent > 0)
            throw OverflowError();
        return 0.0;
    }
    return value;
}

} // namespace

std::string_view Trim(std::string_view text)
{
    while (const std::size_t blank = BlankSize(text))
        text.remove_prefix(blank);
    for (std::string_view last = LastChar(text); !last.empty() && BlankSize(last) == last.size();
         last = LastChar(text))
        text.remove_suffix(last.size());
    return text;
}

double ValText(std::string_view text)
{
    NumberScanner in(text);
    if (in.Peek() != '&')
        return ReadDecimal(in);
    in.Next();
    const int base = IsLetter(in.Peek(), 'H') ? 16 : IsLetter(in.Peek(), 'O') ? 8 : 0;
    if (base == 0)
        return 0.0;
    in.Next();
    return ReadRadix(in, base);
}

std::int16_t ToInt16(double value)
{
    // In the default rounding mode, which nothing here changes, a half goes to the even neighbour.
    const double rounded = std::nearbyint(value);
    // Also rejects NaN, which fails every comparison.
    if (!(rounded >= INT16_MIN && rounded <= INT16_MAX))
        throw OverflowError();
    return static_cast<std::int16_t>(rounded);
}

std::int16_t CheckedAdd(std::int16_t x, std::int16_t y)
{
    return FitInt16(std::int32_t{x} + y);
}

std::int16_t CheckedSub(std::int16_t x, std::int16_t y)
{
    return FitInt16(std::int32_t{x} - y);
}

std::int16_t CheckedMul(std::int16_t x, std::int16_t y)
{
    return FitInt16(std::int32_t{x} * y);
}

std::int16_t CheckedAbs(std::int16_t x)
{
    return x < 0 ? CheckedSub(0, x) : x;
}

std::string IntText(std::int16_t value)
{
    return std::to_string(value);
}

std::string_view LastChar(std::string_view text)
{
    if (text.empty())
        return text;
    // Step back from the last byte over UTF-8 continuation bytes to the lead byte (at most 4
    // bytes).
    std::size_t start = text.size() - 1;
    while (start > 0 && text.size() - start < 4 &&
           (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        --start;
    return text.substr(start);
}

} // namespace draw
