#include "editor/gestures/CardDrop.h"

#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"

#include <vector>

bool CardDrop::putDown(FieldBoard& board, TrashCan* trash, const engine::Vec2& location) {
    // Removing a card takes it out of the drag group, so walk the nodes of a copy.
    std::vector<CardSprite*> group;
    for (const int id : board.model().dragGroup()) {
        if (CardSprite* node = board.nodeFor(id)) {
            group.push_back(node);
        }
    }
    bool dropped = false;
    for (CardSprite* card : group) {
        card->setOpacity(255);
        if (trash && trash->contains(location)) {
            board.removeCard(card);
            dropped = true;
        }
    }
    if (trash) {
        if (dropped) {
            trash->swallowDropped();
        } else {
            trash->disappear();
        }
    }
    return dropped;
}
