#pragma once

namespace engine {

// The decimal number at the start of [begin, end) (no leading space or plus
// sign), or 0 when there is none; independent of the process locale. Out of
// range it is strtod's answer (±HUGE_VAL, or a denormal or zero).
// DecimalText.cpp reads it with from_chars; DecimalTextWeb.cpp with strtod,
// since the browser build's C++ library has no floating-point from_chars.
double parseDecimal(const char* begin, const char* end);

} // namespace engine
