#pragma once

#include "engine/base/Value.h"

#include <optional>
#include <string>
#include <vector>

// What can still be read from a damaged list file: per entry its identifier,
// title and time stamp, and the list's "lastid". An XML file that no longer
// parses (cut off, a broken tag) is read with libxml2's recovering parser, so
// the entries before and around the damage keep their titles.
class SaveListRecovery {
public:
    struct Entry {
        int identifier = 0;
        std::optional<std::string> title;
        std::optional<std::string> modify;
    };

    // Whether a list that parsed can be used as it is: a dictionary with a
    // "datas" array, and no "lastid" or identifier beyond the integer range.
    static bool isSound(const engine::Value& root);
    // An identifier the store can use: an integer in 1 .. INT_MAX.
    static std::optional<int> usableIdentifier(const engine::Value& value);

    // Reads the entries of a list that parsed as a property list but is not
    // sound (no "datas" array, an identifier beyond the integer range ...).
    static SaveListRecovery fromValue(const engine::Value& root);
    // Reads what it can of the XML bytes of a list file that did not parse.
    static SaveListRecovery fromXmlBytes(const std::string& bytes);

    // The entries with a usable identifier, each identifier once, in file order.
    std::vector<Entry> entries;
    // The "lastid" when it was readable and within range, else 0.
    int lastid = 0;
};
