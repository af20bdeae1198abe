#include "engine/base/UtcTime.h"

#include <ctime>

namespace engine {

bool parseUtcTime(const std::string& text, std::int64_t& unixSeconds) {
    std::tm utc{};
    const char* end = strptime(text.c_str(), "%Y-%m-%dT%H:%M:%SZ", &utc);
    if (!end || *end != '\0') {
        return false;
    }
    unixSeconds = static_cast<std::int64_t>(timegm(&utc));
    return true;
}

} // namespace engine
