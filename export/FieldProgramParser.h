#pragma once

#include "program/FieldRows.h"

#include <optional>
#include <string>
#include <string_view>

namespace pavlune {

// Reads the plain-text form of a field program: one line per field row, the
// first line being row 1. An empty line is an empty row; otherwise the line
// is "SET INDEX [VALUE]": SET is basic, paprika or full (or 0, 1, 2), INDEX
// the card's index in its set, VALUE the rest of the line after one space
// (the typed number text). A final line feed adds no row; CR LF is accepted.
class FieldProgramParser {
public:
    struct Error {
        int line = 0; // counted from 1
        std::string message;
    };

    // The rows, or the first error. A row holds one slot, as on the field.
    bool parse(std::string_view text, FieldRows& rows, Error& error) const;

    // The card set named by `token`, if it names one.
    static std::optional<int> cardSetNamed(std::string_view token);

private:
    bool parseLine(std::string_view line, FieldRow& row, std::string& message) const;
};

} // namespace pavlune
