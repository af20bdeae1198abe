#include "editor/gestures/CardDrop.h"

#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "engine/2d/Director.h"
#include "widgets/Design.h"

#include <vector>

bool CardDrop::putDown(FieldBoard& board, TrashCan* trash, const engine::Vec2& location) {
    // Removing a card takes it out of the drag group, so walk the nodes of a copy.
    std::vector<CardSprite*> group;
    for (const int id : board.model().dragGroup()) {
        if (CardSprite* node = board.nodeFor(id)) {
            group.push_back(node);
        }
    }
    const bool removing =
        (trash && trash->contains(location)) || (onScreen(location) && location.x < design::kPaletteWidth);
    for (CardSprite* card : group) {
        card->setOpacity(255);
        card->setColor(engine::Color3B::WHITE);
        if (removing) {
            board.removeCard(card);
        }
    }
    if (!removing) {
        board.putDownDragged(location);
    }
    const bool dropped = removing && !group.empty();
    if (trash) {
        if (dropped) {
            trash->swallowDropped();
        } else {
            trash->disappear();
        }
    }
    return dropped;
}

bool CardDrop::onScreen(const engine::Vec2& location) {
    const engine::Director* director = engine::Director::getInstance();
    const engine::Vec2 origin = director->getVisibleOrigin();
    const engine::Size visible = director->getVisibleSize();
    return engine::Rect(origin.x, origin.y, visible.width, visible.height).containsPoint(location);
}
