#include "engine/base/UtcTime.h"

#include <ctime>
#include <iomanip>
#include <sstream>

namespace engine {

// No strptime or timegm in the Windows C library.
bool parseUtcTime(const std::string& text, std::int64_t& unixSeconds) {
    // get_time takes a text that ends before the format's closing 'Z'.
    if (text.empty() || text.back() != 'Z') {
        return false;
    }
    std::tm utc{};
    std::istringstream in(text);
    in >> std::get_time(&utc, "%Y-%m-%dT%H:%M:%SZ");
    if (in.fail() || in.peek() != std::char_traits<char>::eof()) {
        return false;
    }
    unixSeconds = static_cast<std::int64_t>(_mkgmtime(&utc));
    return true;
}

} // namespace engine
