#pragma once

#include "engine/base/Geometry.h"

#include <vector>

class FieldBoard;
class TrashCan;

// Puts the dragged cards down where the finger let go: every card of the drag
// group is opaque again, and each goes into the trash when the finger is over
// it, or leaves the field when the finger is back over the palette inside the
// window (dragged back where it came from). A release outside the window is
// no choice made on the screen: the caller puts the cards back (onScreen).
// The trash then closes its lid over what it swallowed, or just fades. A card
// left loose lies wholly on the visible field and, where there is room, clear
// of the controls in `blocked` (screen units), so it can be seen and grabbed.
class CardDrop {
public:
    // Returns whether any card went into the trash or back to the palette.
    // `trash` may be null.
    static bool putDown(FieldBoard& board, TrashCan* trash, const engine::Vec2& location,
                        const std::vector<engine::Rect>& blocked = {});

    // Whether a release at `location` (screen units) was on the window's
    // picture; outside it, nothing may be deleted or moved.
    static bool onScreen(const engine::Vec2& location);

    // Moves a loose card so that it lies wholly on the visible field and
    // overlaps none of `kept` (screen units): just beside what it covers, the
    // nearest such place. Where there is none, `always` still pulls it onto
    // the field; otherwise it stays. Cards on rows are left alone.
    static void keepClear(FieldBoard& board, int cardId, const std::vector<engine::Rect>& kept, bool always);

    // Keeps a loose card this far inside the visible field.
    static constexpr float kReachMargin = 20;
    // Space between a loose card moved aside and what it would have covered.
    static constexpr float kClearGap = 2;

private:
    // A loose dragged card let go with the finger over a free row's slot
    // takes that row (its left edge may be far from the slot: the child
    // aims with the finger, not with the card's edge).
    static void placeUnderFinger(FieldBoard& board, const engine::Vec2& location);
};
