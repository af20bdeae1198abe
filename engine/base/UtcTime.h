#pragma once

#include <cstdint>
#include <string>

namespace engine {

// Reads a time written exactly as "YYYY-MM-DDTHH:MM:SSZ" (UTC) into seconds
// since the Unix epoch; false for any other text. The C libraries differ in
// the calls for this: UtcTimePosix.cpp, UtcTimeWin32.cpp.
bool parseUtcTime(const std::string& text, std::int64_t& unixSeconds);

} // namespace engine
