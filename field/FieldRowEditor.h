#pragma once

#include "engine/base/Geometry.h"
#include "field/RowEdit.h"

#include <vector>

namespace pavlune {

class FieldModel;
struct PlacedCard;

// Edits of a field model's rows as a whole: inserting and deleting a row
// (the cards below slide one row, a pushed-out card goes into the trash),
// the rows a dropped group takes, and settling loose cards so that none
// covers a card of the program.
class FieldRowEditor {
public:
    // Space between the column of rows and a loose card slid beside it.
    static constexpr float kBesideColumnGap = 20;

    // `model` (not owned) outlives the editor.
    explicit FieldRowEditor(FieldModel& model) : model_(model) {}

    // Moves every card from `row` on one row down; the last row's card goes
    // into the trash.
    RowEdit insertRow(int row);
    // Removes the row's card into the trash and moves every card below it one
    // row up.
    RowEdit deleteRow(int row);

    // The drag group let go with the finger at `finger` (content units): when
    // the finger is over a free row's slot, the finger's card takes that row
    // and the cards dragged with it the rows below while those are free (the
    // child aims with the finger, not with the card's left edge, which the
    // snap while dragging looks at). False when no card took a row.
    bool placeDroppedGroup(engine::Vec2 finger);

    // Loose cards never cover a card on a row: each loose card that overlaps
    // one slides right, beside the column of rows, clearly apart from the
    // program. Returns the ids of the cards it moved.
    std::vector<int> settleLooseCards();
    // Where a loose card's centre goes when it slides beside the column.
    float besideColumnX(const PlacedCard& card) const;

private:
    // Moves the card on `from` onto the free row `to`, as it lies on its slot.
    void moveToRow(int cardId, int to, RowEdit& edit);
    bool coversRowCard(const PlacedCard& card) const;

    FieldModel& model_;
};

} // namespace pavlune
