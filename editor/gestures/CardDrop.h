#pragma once

#include "engine/base/Geometry.h"

class FieldBoard;
class TrashCan;

// Puts the dragged cards down where the finger let go: every card of the drag
// group is opaque again, and each goes into the trash when the finger is over
// it. The trash then closes its lid over what it swallowed, or just fades.
class CardDrop {
public:
    // Returns whether any card went into the trash. `trash` may be null.
    static bool putDown(FieldBoard& board, TrashCan* trash, const engine::Vec2& location);
};
