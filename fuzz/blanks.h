// Every blank, as UTF-8: Unicode's white-space characters and the invisible formatting
// characters. Written out one by one, apart from the library's own ranges, so that the fuzz
// targets check the library against an independent list.
#pragma once

#include <string_view>

inline constexpr std::string_view kBlanks[] = {
    "\t",     "\n",     "\v",     "\f",     "\r",     " ",      "\xC2\x85", "\u00A0", "\u061C",
    "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005",   "\u2006", "\u2007",
    "\u2008", "\u2009", "\u200A", "\u200B", "\u200C", "\u200D", "\u200E",   "\u200F", "\u2028",
    "\u2029", "\u202A", "\u202B", "\u202C", "\u202D", "\u202E", "\u202F",   "\u205F", "\u2060",
    "\u2066", "\u2067", "\u2068", "\u2069", "\u3000", "\uFEFF"};
