#pragma once

#include "engine/base/PlistGuard.h"
#include "engine/base/Value.h"

#include <cstddef>
#include <optional>

namespace engine {

// Reads the XML form of a property list into a Value through libxml2, within
// libxml2's own limits (no XML_PARSE_HUGE, so at most 256 levels and 10 MB of
// text in one node), without loading a DTD, without the network and without
// replacing entities: a value that names an entity other than the five
// predefined ones is refused. The conversion descends into at most
// `maxDepth` arrays and dictionaries inside one another (as PlistGuard counts
// a binary file's), whatever a scan before it said.
//
// Elements: dict (key, value pairs), array, string, integer (decimal or 0x
// hexadecimal, negative ones kept as their two's complement), real, true,
// false, date (its text, trimmed) and data (base64).
class PlistXmlReader {
public:
    // The root value, or nothing with `verdict` set to NotAPlist or TooDeep.
    static std::optional<Value> read(const char* data, std::size_t size, int maxDepth,
                                     PlistGuard::Verdict& verdict);
};

} // namespace engine
