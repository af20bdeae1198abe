#pragma once

#include "engine/base/PlistGuard.h"
#include "engine/base/Value.h"

#include <cstddef>
#include <optional>
#include <string>

namespace engine {

// Converts between `Value` trees and property-list bytes through libplist.
// Reading accepts XML (with or without a DOCTYPE, as Apple's tools, Python's
// plistlib and libplist write it) and binary property lists; writing always
// produces XML, the format that people and other tools can read.
//
// Mapping: integers become 64-bit INTEGER values, reals DOUBLE, booleans
// BOOLEAN, strings STRING; a date reads as a string of its ISO 8601 text in
// UTC and a data block as a string of its raw bytes, each marked with its form
// so that it is written back as the element it was. When writing, null values
// are left out, and dictionary keys are sorted so that an unchanged map always
// gives the same file.
//
// Reading refuses files beyond `PlistGuard`'s limits before any parser sees
// them; XML is then read by PlistXmlReader (libxml2), binary by libplist by
// way of its XML. Control characters other than tab and line breaks, which
// XML cannot hold, are written (and read from binary files) as U+FFFD.
class PlistCodec {
public:
    // The root value, or nothing when the bytes are not a property list or
    // lie beyond the limits; `verdict`, when given, says which.
    static std::optional<Value> parse(const char* data, std::size_t size,
                                      PlistGuard::Verdict* verdict = nullptr);
    static std::optional<Value> parse(const std::string& bytes, PlistGuard::Verdict* verdict = nullptr) {
        return parse(bytes.data(), bytes.size(), verdict);
    }

    // XML text for a dictionary or array root; empty when `root` is of another
    // kind (a property list file always has a collection at its root here).
    static std::string toXml(const Value& root);
    static std::string toXml(const ValueMap& root);
    static std::string toXml(const ValueVector& root);
};

} // namespace engine
