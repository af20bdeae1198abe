#include "editor/gestures/CardDrop.h"

#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "engine/2d/Director.h"
#include "field/FieldModel.h"
#include "widgets/Design.h"

#include <algorithm>
#include <optional>

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

// Where a loose card of one size may lie on the screen: wholly on the field
// (`into`), overlapping none of `blocked`.
class LooseSpot {
public:
    LooseSpot(engine::Rect into, engine::Size size, const std::vector<engine::Rect>& blocked)
        : into_(into), size_(size), blocked_(blocked) {}

    engine::Vec2 intoField(engine::Vec2 centre) const {
        centre.x = std::max(std::min(centre.x, into_.getMaxX() - size_.width / 2),
                            into_.getMinX() + size_.width / 2);
        centre.y = std::max(std::min(centre.y, into_.getMaxY() - size_.height / 2),
                            into_.getMinY() + size_.height / 2);
        return centre;
    }

    // The nearest place to `start` just beside a control it covers (left,
    // above or below), or beside the next one from there, that covers none.
    std::optional<engine::Vec2> nearestClear(engine::Vec2 start) const {
        std::optional<engine::Vec2> best;
        for (const engine::Vec2 first : beside(start)) {
            consider(first, start, best);
            for (const engine::Vec2 second : beside(first)) {
                consider(second, start, best);
            }
        }
        return best;
    }

    bool isClear(engine::Vec2 centre) const { return overlapped(centre).empty(); }

private:
    std::vector<engine::Rect> overlapped(engine::Vec2 centre) const {
        const engine::Rect card(centre.x - size_.width / 2, centre.y - size_.height / 2, size_.width,
                                size_.height);
        std::vector<engine::Rect> hit;
        for (const engine::Rect& area : blocked_) {
            // Touching edges hide nothing.
            if (card.getMinX() < area.getMaxX() && area.getMinX() < card.getMaxX() &&
                card.getMinY() < area.getMaxY() && area.getMinY() < card.getMaxY()) {
                hit.push_back(area);
            }
        }
        return hit;
    }

    std::vector<engine::Vec2> beside(engine::Vec2 from) const {
        std::vector<engine::Vec2> places;
        for (const engine::Rect& area : overlapped(from)) {
            places.push_back(intoField({area.getMinX() - CardDrop::kClearGap - size_.width / 2, from.y}));
            places.push_back(intoField({from.x, area.getMaxY() + CardDrop::kClearGap + size_.height / 2}));
            places.push_back(intoField({from.x, area.getMinY() - CardDrop::kClearGap - size_.height / 2}));
        }
        return places;
    }

    void consider(engine::Vec2 place, engine::Vec2 start, std::optional<engine::Vec2>& best) const {
        if (isClear(place) && (!best || place.distance(start) < best->distance(start))) {
            best = place;
        }
    }

    engine::Rect into_;
    engine::Size size_;
    const std::vector<engine::Rect>& blocked_;
};

} // namespace

void CardDrop::keepClear(FieldBoard& board, int cardId, const std::vector<engine::Rect>& blocked,
                         bool always) {
    const pavlune::PlacedCard* card = board.model().findCard(cardId);
    if (!card || card->connectors[0].isAttached() || card->connectors[1].isAttached()) {
        return;
    }
    const pavlune::FieldViewport viewport = board.viewport();
    const engine::Size visible = engine::Director::getInstance()->getVisibleSize();
    // The visible field right of the palette, kReachMargin inside its edges.
    const engine::Rect field(design::kPaletteWidth + kReachMargin, kReachMargin,
                             visible.width - design::kPaletteWidth - 2 * kReachMargin,
                             visible.height - 2 * kReachMargin);
    const LooseSpot spot(
        field,
        engine::Size(viewport.toScreenLength(card->size.width), viewport.toScreenLength(card->size.height)),
        blocked);
    const engine::Vec2 start = spot.intoField(viewport.toScreen(card->position));
    engine::Vec2 centre = start;
    if (!spot.isClear(start)) {
        const std::optional<engine::Vec2> clear = spot.nearestClear(start);
        if (!clear && !always) {
            return;
        }
        centre = clear.value_or(start);
    }
    const engine::Vec2 moved = viewport.toContent(centre) - card->position;
    if (!moved.isZero()) {
        board.moveCardBy(cardId, moved);
    }
}
