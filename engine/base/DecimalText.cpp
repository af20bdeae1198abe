#include "engine/base/DecimalText.h"

#include <charconv>
#include <cstdlib>
#include <string>

namespace engine {

double parseDecimal(const char* begin, const char* end) {
    double parsed = 0.0;
    const auto result = std::from_chars(begin, end, parsed);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars leaves the value untouched here.
        return std::strtod(std::string(begin, end).c_str(), nullptr);
    }
    return result.ec == std::errc() ? parsed : 0.0;
}

} // namespace engine
