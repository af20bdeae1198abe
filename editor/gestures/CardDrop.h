#pragma once

#include "engine/base/Geometry.h"

class FieldBoard;
class TrashCan;

// Puts the dragged cards down where the finger let go: every card of the drag
// group is opaque again, and each goes into the trash when the finger is over
// it, or leaves the field when the finger is back over the palette inside the
// window (dragged back where it came from); otherwise the board puts them
// down (the finger's free row, or loose where they can be seen and grabbed).
// A release outside the window is no choice made on the screen: the caller
// puts the cards back (onScreen). The trash then closes its lid over what it
// swallowed, or just fades.
class CardDrop {
public:
    // Returns whether any card went into the trash or back to the palette.
    // `trash` may be null.
    static bool putDown(FieldBoard& board, TrashCan* trash, const engine::Vec2& location);

    // Whether a release at `location` (screen units) was on the window's
    // picture; outside it, nothing may be deleted or moved.
    static bool onScreen(const engine::Vec2& location);
};
