#pragma once

#include "catalogue/CatalogueView.h"
#include "program/FieldRows.h"

#include <map>
#include <optional>

namespace pavlune {

// Which field row a line the board runs came from, worked out by the same
// assemblers that make the send: jam by its line number, latte by the line
// of the file the board keeps (counted from 1), que by the instruction
// (counted from 0). A card of several lines or instructions owns them all;
// the lines around the program (the latte file's declarations, its final
// wait) and que's empty lines belong to no row.
class RunningRows {
public:
    RunningRows() = default;
    RunningRows(const CatalogueView& view, const FieldRows& rows);

    std::optional<int> rowOf(int boardLine) const;

private:
    std::map<int, int> rows_; // board line -> field row index
};

} // namespace pavlune
