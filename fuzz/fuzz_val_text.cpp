// ValText never fails but by OverflowError, always gives a finite number, and reads the same
// number whatever blanks stand in the text and whether its characters are typed half- or
// full-width.
#include "blanks.h"
#include "number_rules.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::optional<double> Read(std::string_view text)
{
    try {
        const double value = draw::ValText(text);
        if (!std::isfinite(value))
            std::abort();
        return value;
    } catch (const draw::OverflowError&) {
        return std::nullopt;
    }
}

bool IsAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// The full-width form U+FF01..U+FF5E of each printable ASCII character, as UTF-8.
std::string Widen(std::string_view text)
{
    std::string wide;
    for (const char c : text) {
        if (c < 0x21 || c > 0x7E) {
            wide += c;
            continue;
        }
        const unsigned codePoint = 0xFF01u + static_cast<unsigned>(c - 0x21);
        wide += static_cast<char>(0xE0 | (codePoint >> 12));
        wide += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        wide += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    return wide;
}

std::string WithoutAsciiBlanks(std::string_view text)
{
    std::string result;
    for (const char c : text) {
        if (c != ' ' && (c < '\t' || c > '\r'))
            result += c;
    }
    return result;
}

// The text with a blank before each character (each byte that is not a UTF-8 continuation byte)
// and at its end.
std::string WithBlanks(std::string_view text, std::string_view blank)
{
    std::string result;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            result += blank;
        result += c;
    }
    return result += blank;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<double> value = Read(text);
    if (Read(std::string(text) + "x") != value)
        std::abort();
    const std::string_view blank = kBlanks[size == 0 ? 0 : data[0] % std::size(kBlanks)];
    if (Read(WithBlanks(text, blank)) != value)
        std::abort();
    if (IsAscii(text) && (Read(WithoutAsciiBlanks(text)) != value || Read(Widen(text)) != value))
        std::abort();
    return 0;
}
