#pragma once

#include <string>
#include <string_view>

namespace pavlune {

// Text made safe for one line of a terminal: backslash, double quote, control
// characters (C1 included), invisible format and bidi controls (U+FEFF,
// U+202E, ...), line separators and bytes that are not well-formed UTF-8 are
// escaped, byte by byte ("\n", "\r", "\t", "\x1B", "\xFF", "\xEF\xBB\xBF");
// printable ASCII and UTF-8 text such as Japanese pass unchanged.
std::string escapeText(std::string_view text);

// Bytes as upper-case hexadecimal pairs separated by single spaces.
std::string hexBytes(std::string_view bytes);

} // namespace pavlune
