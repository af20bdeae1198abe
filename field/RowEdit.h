#pragma once

#include "engine/base/Geometry.h"

#include <vector>

namespace pavlune {

// What inserting or deleting a field row did, for the view to animate. The
// model already holds the final state: every moved card is at its target and
// every removed card is gone, so a save right after the edit is correct.
struct RowEdit {
    struct Move {
        int cardId = 0;
        engine::Vec2 target;
    };

    // Cards that slide one row (the view moves each node to target in 0.1 s).
    std::vector<Move> moved;
    // Cards that went into the trash, in the order they were removed.
    std::vector<int> removed;

    // The trash lid opens and closes when a card went into it.
    bool runsTrashSequence() const { return !removed.empty(); }
};

} // namespace pavlune
