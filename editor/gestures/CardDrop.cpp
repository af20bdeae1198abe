#include "editor/gestures/CardDrop.h"

#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "engine/2d/Director.h"
#include "field/FieldModel.h"
#include "widgets/Design.h"

#include <algorithm>

bool CardDrop::putDown(FieldBoard& board, TrashCan* trash, const engine::Vec2& location,
                       const std::vector<engine::Rect>& blocked) {
    // Removing a card takes it out of the drag group, so walk the nodes of a copy.
    std::vector<CardSprite*> group;
    for (const int id : board.model().dragGroup()) {
        if (CardSprite* node = board.nodeFor(id)) {
            group.push_back(node);
        }
    }
    const bool intoTrash = trash && trash->contains(location);
    const bool backToPalette = onScreen(location) && location.x < design::kPaletteWidth;
    if (!intoTrash && !backToPalette) {
        placeUnderFinger(board, location);
    }
    bool dropped = false;
    for (CardSprite* card : group) {
        card->setOpacity(255);
        card->setColor(engine::Color3B::WHITE);
        if (intoTrash || backToPalette) {
            board.removeCard(card);
            dropped = true;
        } else {
            keepClear(board, card->modelId, blocked, true);
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

void CardDrop::placeUnderFinger(FieldBoard& board, const engine::Vec2& location) {
    pavlune::FieldModel& model = board.model();
    const std::vector<int> group = model.dragGroup();
    if (group.empty()) {
        return;
    }
    const engine::Vec2 finger = board.viewport().toContent(location);
    for (int row = 0; row < static_cast<int>(model.rowSlots().size()); ++row) {
        const pavlune::RowSlot& slot = model.rowSlot(row);
        const engine::Rect area(slot.position.x - slot.size.width / 2, slot.position.y - slot.size.height / 2,
                                slot.size.width, slot.size.height);
        if (!area.containsPoint(finger)) {
            continue;
        }
        // The finger's card takes the free row; the cards dragged with it
        // take the rows below while those are free.
        for (std::size_t at = 0; at < group.size(); ++at) {
            const pavlune::PlacedCard* card = model.findCard(group[at]);
            const int target = row + static_cast<int>(at);
            if (!card || card->connectors[0].isAttached() ||
                target >= static_cast<int>(model.rowSlots().size()) || !board.placeOnRow(group[at], target)) {
                break;
            }
        }
        return;
    }
}

bool CardDrop::onScreen(const engine::Vec2& location) {
    const engine::Director* director = engine::Director::getInstance();
    const engine::Vec2 origin = director->getVisibleOrigin();
    const engine::Size visible = director->getVisibleSize();
    return engine::Rect(origin.x, origin.y, visible.width, visible.height).containsPoint(location);
}

namespace {

engine::Rect cardArea(engine::Vec2 centre, engine::Size size) {
    return {centre.x - size.width / 2, centre.y - size.height / 2, size.width, size.height};
}

// Touching edges hide nothing.
bool overlaps(const engine::Rect& a, const engine::Rect& b) {
    return a.getMinX() < b.getMaxX() && b.getMinX() < a.getMaxX() && a.getMinY() < b.getMaxY() &&
           b.getMinY() < a.getMaxY();
}

} // namespace

void CardDrop::keepClear(FieldBoard& board, int cardId, const std::vector<engine::Rect>& blocked,
                         bool always) {
    const pavlune::PlacedCard* card = board.model().findCard(cardId);
    if (!card || card->connectors[0].isAttached() || card->connectors[1].isAttached()) {
        return;
    }
    const pavlune::FieldViewport viewport = board.viewport();
    const engine::Size visible = engine::Director::getInstance()->getVisibleSize();
    const engine::Size size(card->size.width * viewport.zoom(), card->size.height * viewport.zoom());
    // The whole card on the visible field, right of the palette.
    const auto intoField = [&](engine::Vec2 centre) {
        centre.x = std::max(std::min(centre.x, visible.width - kReachMargin - size.width / 2),
                            design::kPaletteWidth + kReachMargin + size.width / 2);
        centre.y = std::max(std::min(centre.y, visible.height - kReachMargin - size.height / 2),
                            kReachMargin + size.height / 2);
        return centre;
    };
    const auto overlapped = [&](engine::Vec2 centre) {
        std::vector<engine::Rect> hit;
        for (const engine::Rect& area : blocked) {
            if (overlaps(cardArea(centre, size), area)) {
                hit.push_back(area);
            }
        }
        return hit;
    };
    const engine::Vec2 start = intoField(viewport.toScreen(card->position));
    engine::Vec2 centre = start;
    if (!overlapped(start).empty()) {
        // Just beside a control it covers (left, above or below), or beside
        // the next one from there: the nearest place clear of all of them.
        std::vector<engine::Vec2> places;
        const auto beside = [&](engine::Vec2 from) {
            std::vector<engine::Vec2> found;
            for (const engine::Rect& area : overlapped(from)) {
                found.push_back(intoField({area.getMinX() - kClearGap - size.width / 2, from.y}));
                found.push_back(intoField({from.x, area.getMaxY() + kClearGap + size.height / 2}));
                found.push_back(intoField({from.x, area.getMinY() - kClearGap - size.height / 2}));
            }
            return found;
        };
        for (const engine::Vec2 first : beside(start)) {
            places.push_back(first);
            for (const engine::Vec2 second : beside(first)) {
                places.push_back(second);
            }
        }
        bool found = false;
        for (const engine::Vec2 place : places) {
            if (overlapped(place).empty() && (!found || place.distance(start) < centre.distance(start))) {
                centre = place;
                found = true;
            }
        }
        if (!found && !always) {
            return;
        }
    }
    const engine::Vec2 moved = viewport.toContent(centre) - card->position;
    if (!moved.isZero()) {
        board.moveCardBy(cardId, moved);
    }
}
