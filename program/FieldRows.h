#pragma once

#include <optional>
#include <string>
#include <vector>

namespace pavlune {

// The editor's field has this many numbered rows; row i has the line number
// 10 x (i + 1).
inline constexpr int kFieldRowCount = 40;

// One card as program generation sees it: its key in the catalogue and the
// text typed on it (empty, or not a number, for cards without one).
struct CardSlot {
    int cardSet = 0;
    int cardIndex = 0;
    std::string value;

    bool operator==(const CardSlot&) const = default;
};

// A field row: its slots in order, each empty or holding one card. The editor
// has one slot per row; generation joins several cards of a row.
using FieldRow = std::vector<std::optional<CardSlot>>;

// The field program: its rows in order, the first row being row 1.
using FieldRows = std::vector<FieldRow>;

} // namespace pavlune
