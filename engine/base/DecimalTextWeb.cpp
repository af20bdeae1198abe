#include "engine/base/DecimalText.h"

#include <cstdlib>
#include <string>

namespace engine {

// The browser's C library has no locales, so strtod reads a decimal point.
// Unlike from_chars it also reads hexadecimal, which the others read as 0.
double parseDecimal(const char* begin, const char* end) {
    const char* digits = begin < end && *begin == '-' ? begin + 1 : begin;
    if (end - digits >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        return digits == begin ? 0.0 : -0.0;
    }
    const std::string copy(begin, end);
    char* stop = nullptr;
    const double parsed = std::strtod(copy.c_str(), &stop);
    return stop == copy.c_str() ? 0.0 : parsed;
}

} // namespace engine
