#pragma once

#include "field/RowEdit.h"

#include <vector>

namespace pavlune {

class FieldModel;
struct PlacedCard;

// Edits of a field model's rows as a whole: inserting and deleting a row
// (the cards below slide one row, a pushed-out card goes into the trash), and
// settling loose cards so that none covers a card of the program.
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
