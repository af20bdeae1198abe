#include "field/FieldRowEditor.h"

#include "field/FieldModel.h"

#include <algorithm>

namespace pavlune {

namespace {

engine::Rect area(const PlacedCard& card) {
    return {card.position.x - card.size.width / 2, card.position.y - card.size.height / 2, card.size.width,
            card.size.height};
}

} // namespace

void FieldRowEditor::moveToRow(int cardId, int to, RowEdit& edit) {
    model_.detachConnector(cardId, 0);
    model_.detachConnector(cardId, 1);
    if (model_.placeOnRow(cardId, to)) {
        edit.moved.push_back({cardId, model_.findCard(cardId)->position});
    }
}

RowEdit FieldRowEditor::insertRow(int row) {
    RowEdit edit;
    const int last = static_cast<int>(model_.rowSlots().size()) - 1;
    if (row < 0 || row > last) {
        return edit;
    }
    // From the bottom up, so the row below is always free.
    for (int k = last; k >= row; --k) {
        const int onRow = model_.cardOnRow(k);
        if (onRow == FieldModel::kNoCard) {
            continue;
        }
        if (k == last) {
            model_.removeCard(onRow);
            edit.removed.push_back(onRow);
        } else {
            moveToRow(onRow, k + 1, edit);
        }
    }
    model_.relinkRowCards();
    return edit;
}

RowEdit FieldRowEditor::deleteRow(int row) {
    RowEdit edit;
    const int last = static_cast<int>(model_.rowSlots().size()) - 1;
    if (row < 0 || row > last) {
        return edit;
    }
    for (int k = row; k <= last; ++k) {
        const int onRow = model_.cardOnRow(k);
        if (onRow == FieldModel::kNoCard) {
            continue;
        }
        if (k == row) {
            model_.removeCard(onRow);
            edit.removed.push_back(onRow);
        } else {
            moveToRow(onRow, k - 1, edit);
        }
    }
    model_.relinkRowCards();
    return edit;
}

bool FieldRowEditor::placeDroppedGroup(engine::Vec2 finger) {
    const std::vector<int> group = model_.dragGroup();
    const int rows = static_cast<int>(model_.rowSlots().size());
    for (int row = 0; row < rows; ++row) {
        const RowSlot& slot = model_.rowSlot(row);
        const engine::Rect area(slot.position.x - slot.size.width / 2, slot.position.y - slot.size.height / 2,
                                slot.size.width, slot.size.height);
        if (!area.containsPoint(finger)) {
            continue;
        }
        bool placed = false;
        for (std::size_t at = 0; at < group.size(); ++at) {
            const PlacedCard* card = model_.findCard(group[at]);
            const int target = row + static_cast<int>(at);
            if (!card || card->connectors[0].isAttached() || target >= rows ||
                !model_.placeOnRow(group[at], target)) {
                break;
            }
            placed = true;
        }
        return placed;
    }
    return false;
}

bool FieldRowEditor::coversRowCard(const PlacedCard& loose) const {
    const engine::Rect looseArea = area(loose);
    for (int row = 0; row < static_cast<int>(model_.rowSlots().size()); ++row) {
        const PlacedCard* onRow = model_.findCard(model_.cardOnRow(row));
        if (!onRow) {
            continue;
        }
        const engine::Rect rowArea = area(*onRow);
        // Touching edges do not hide anything.
        if (looseArea.getMinX() < rowArea.getMaxX() && rowArea.getMinX() < looseArea.getMaxX() &&
            looseArea.getMinY() < rowArea.getMaxY() && rowArea.getMinY() < looseArea.getMaxY()) {
            return true;
        }
    }
    return false;
}

float FieldRowEditor::besideColumnX(const PlacedCard& loose) const {
    // Right of the slots and of every card on them, with a clear gap.
    float right = 0;
    for (int row = 0; row < static_cast<int>(model_.rowSlots().size()); ++row) {
        const RowSlot& slot = model_.rowSlot(row);
        right = std::max(right, slot.position.x + slot.size.width / 2);
        if (const PlacedCard* onRow = model_.findCard(model_.cardOnRow(row))) {
            right = std::max(right, onRow->position.x + onRow->size.width / 2);
        }
    }
    return right + kBesideColumnGap + loose.size.width / 2;
}

std::vector<int> FieldRowEditor::settleLooseCards() {
    std::vector<int> moved;
    for (const PlacedCard& placed : model_.placedCards()) {
        if (!placed.connectors[0].isAttached() && !placed.connectors[1].isAttached() &&
            coversRowCard(placed)) {
            moved.push_back(placed.id);
        }
    }
    // Only row cards decide where a loose card goes, so moving one changes
    // nothing for the next.
    for (const int id : moved) {
        const PlacedCard& loose = *model_.findCard(id);
        model_.setCardPosition(id, engine::Vec2(besideColumnX(loose), loose.position.y));
    }
    return moved;
}

} // namespace pavlune
