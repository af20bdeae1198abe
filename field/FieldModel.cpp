#include "field/FieldModel.h"

#include "catalogue/CatalogueView.h"
#include "field/FieldGeometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pavlune {

FieldModel::FieldModel(const FieldGeometry& geometry, const CatalogueView& catalogue)
    : contentSize_(geometry.contentSize()) {
    const engine::Size slotSize = geometry.slotSize();
    slots_.resize(kFieldRowCount);
    for (int row = 0; row < kFieldRowCount; ++row) {
        RowSlot& slot = slots_[static_cast<std::size_t>(row)];
        slot.position = geometry.row(row).slot;
        slot.size = slotSize;
        // Five units inside the left edge, facing left.
        slot.connectors[0].anchor = {5, slotSize.height / 2};
        slot.connectors[0].directionPoint = {4, slotSize.height / 2};
    }
    for (int set = 0; set < static_cast<int>(useCounts_.size()); ++set) {
        useCounts_[static_cast<std::size_t>(set)].assign(
            static_cast<std::size_t>(catalogue.getCardCount(set)), 0);
    }
}

void FieldModel::clear() {
    cards_.clear();
    index_.clear();
    for (RowSlot& slot : slots_) {
        for (Connector& connector : slot.connectors) {
            connector.attached = Connector::kNone;
        }
    }
    for (std::vector<int>& counts : useCounts_) {
        std::fill(counts.begin(), counts.end(), 0);
    }
    endDrag();
    liftedFrom_.clear();
}

int FieldModel::cardOnRow(int row) const {
    return rowSlot(row).connectors[0].attached;
}

bool FieldModel::isCatalogueCard(int cardSet, int cardIndex) const {
    return cardSet >= 0 && cardSet < static_cast<int>(useCounts_.size()) && cardIndex >= 0 &&
           cardIndex < static_cast<int>(useCounts_[static_cast<std::size_t>(cardSet)].size());
}

int FieldModel::addCard(int cardSet, int cardIndex, engine::Vec2 position, engine::Size size) {
    if (!isCatalogueCard(cardSet, cardIndex)) {
        return kNoCard;
    }
    PlacedCard placed;
    placed.id = nextId_++;
    placed.cardSet = cardSet;
    placed.cardIndex = cardIndex;
    placed.position = position;
    placed.size = size;
    placed.zOrder = PlacedCard::kTopZOrder;
    // The middle of the left edge, facing right.
    placed.connectors[0].anchor = {0, size.height / 2};
    placed.connectors[0].directionPoint = {1, size.height / 2};
    index_[placed.id] = cards_.size();
    cards_.push_back(placed);
    ++useCounts_[static_cast<std::size_t>(cardSet)][static_cast<std::size_t>(cardIndex)];
    return placed.id;
}

bool FieldModel::removeCard(int cardId) {
    PlacedCard* removed = card(cardId);
    if (!removed) {
        return false;
    }
    detachConnector(cardId, 0);
    detachConnector(cardId, 1);
    // Links to a card that is gone would pull it back into a block.
    unlink(*removed);
    --useCounts_[static_cast<std::size_t>(removed->cardSet)][static_cast<std::size_t>(removed->cardIndex)];
    const std::size_t at = index_.at(cardId);
    cards_.erase(cards_.begin() + static_cast<std::ptrdiff_t>(at));
    index_.erase(cardId);
    for (std::size_t later = at; later < cards_.size(); ++later) {
        index_[cards_[later].id] = later;
    }
    std::erase(dragGroup_, cardId);
    std::erase_if(liftedFrom_, [cardId](const Lifted& lifted) { return lifted.cardId == cardId; });
    return true;
}

void FieldModel::setCardValue(int cardId, std::string value) {
    if (PlacedCard* c = card(cardId)) {
        c->value = std::move(value);
    }
}

void FieldModel::setCardZOrder(int cardId, int zOrder) {
    if (PlacedCard* c = card(cardId)) {
        c->zOrder = zOrder;
    }
}

void FieldModel::setCardPosition(int cardId, engine::Vec2 position) {
    PlacedCard* c = card(cardId);
    if (c && !c->connectors[0].isAttached() && !c->connectors[1].isAttached()) {
        c->position = position;
    }
}

const PlacedCard* FieldModel::findCard(int cardId) const {
    const auto found = index_.find(cardId);
    return found == index_.end() ? nullptr : &cards_[found->second];
}

PlacedCard* FieldModel::card(int cardId) {
    return const_cast<PlacedCard*>(std::as_const(*this).findCard(cardId));
}

int FieldModel::useCount(int cardSet, int cardIndex) const {
    if (!isCatalogueCard(cardSet, cardIndex)) {
        return 0;
    }
    return useCounts_[static_cast<std::size_t>(cardSet)][static_cast<std::size_t>(cardIndex)];
}

bool FieldModel::inDragGroup(int cardId) const {
    return std::find(dragGroup_.begin(), dragGroup_.end(), cardId) != dragGroup_.end();
}

void FieldModel::setDragGroup(std::vector<int> cardIds) {
    dragGroup_ = std::move(cardIds);
}

void FieldModel::liftCard(int cardId) {
    const PlacedCard* lifted = findCard(cardId);
    if (!lifted) {
        return;
    }
    if (lifted->connectors[0].isAttached()) {
        snapTarget_ = lifted->connectors[0].attached;
        snappedConnector_ = 0;
    }
    dragGroup_ = {cardId};
    rememberLift();
    raiseCards();
}

void FieldModel::liftBlock(int cardId) {
    collectBlock(cardId);
    rememberLift();
    raiseCards();
}

void FieldModel::rememberLift() {
    liftedFrom_.clear();
    // A block lift follows the single lift of the same touch: the z-orders
    // to go back to are those from before the first.
    if (zOrdersBeforeLift_.empty()) {
        for (const PlacedCard& c : cards_) {
            zOrdersBeforeLift_.emplace_back(c.id, c.zOrder);
        }
    }
    for (const int id : dragGroup_) {
        if (const PlacedCard* c = findCard(id)) {
            liftedFrom_.push_back({id, c->position, c->connectors[0].attached});
        }
    }
}

void FieldModel::cancelDrag() {
    for (const Lifted& lifted : liftedFrom_) {
        detachConnector(lifted.cardId, 0);
        detachConnector(lifted.cardId, 1);
    }
    for (const Lifted& lifted : liftedFrom_) {
        if (PlacedCard* c = card(lifted.cardId)) {
            c->position = lifted.position;
            if (lifted.row != kNoRow) {
                placeOnRow(lifted.cardId, lifted.row);
            }
        }
    }
    for (const auto& [id, zOrder] : zOrdersBeforeLift_) {
        setCardZOrder(id, zOrder);
    }
    relinkRowCards();
    endDrag();
}

void FieldModel::collectBlock(int cardId) {
    dragGroup_ = blockOf(cardId);
}

std::vector<int> FieldModel::blockOf(int cardId) const {
    std::vector<int> block;
    visitBlock(cardId, block);
    return block;
}

void FieldModel::visitBlock(int cardId, std::vector<int>& block) const {
    if (std::find(block.begin(), block.end(), cardId) != block.end()) {
        return;
    }
    const PlacedCard* visited = findCard(cardId);
    if (!visited) {
        return;
    }
    block.push_back(cardId);
    // Never up: the block is the card and what lies below and beside it.
    constexpr int kFollowed[] = {PlacedCard::right, PlacedCard::down, PlacedCard::left};
    const int row = visited->connectors[0].attached;
    const std::array<int, 4> links = visited->links;
    for (const int link : kFollowed) {
        if (row == kNoRow) {
            if (links[static_cast<std::size_t>(link)] != kNoCard) {
                visitBlock(links[static_cast<std::size_t>(link)], block);
            }
        } else if (const int next = neighbourRow(row, link); next != kNoRow) {
            if (const int below = cardOnRow(next); below != kNoCard) {
                visitBlock(below, block);
            }
        }
    }
}

void FieldModel::compactZOrders() {
    std::vector<std::size_t> order(cards_.size());
    for (std::size_t at = 0; at < order.size(); ++at) {
        order[at] = at;
    }
    std::stable_sort(order.begin(), order.end(),
                     [this](std::size_t a, std::size_t b) { return cards_[a].zOrder < cards_[b].zOrder; });
    bool compact = true;
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        compact = compact && cards_[order[rank]].zOrder == static_cast<int>(rank) + 1;
    }
    if (compact) {
        return;
    }
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        cards_[order[rank]].zOrder = static_cast<int>(rank) + 1;
    }
}

void FieldModel::raiseCards() {
    // Lowering the cards above by one keeps the order free of ties only when
    // the z-orders are 1..N (a removal leaves a gap, a new card INT_MAX).
    compactZOrders();
    const int count = static_cast<int>(cards_.size());
    for (auto it = dragGroup_.rbegin(); it != dragGroup_.rend(); ++it) {
        PlacedCard* raised = card(*it);
        if (!raised) {
            continue;
        }
        const int z = raised->zOrder;
        for (PlacedCard& other : cards_) {
            if (other.zOrder > z) {
                --other.zOrder;
            }
        }
        raised->zOrder = count;
    }
}

void FieldModel::moveCards(int cardId, engine::Vec2 offset, const FieldViewport& viewport) {
    if (!findCard(cardId)) {
        return;
    }
    const float zoom = viewport.zoom();
    engine::Vec2 step = clampedStep(cardId, offset, viewport);
    if (snapTarget_ != kNoRow) {
        snapHold_ += step;
        if (snapHold_.length() <= snapLimit(zoom)) {
            return; // still held on its row
        }
        releaseHold();
        step = engine::Vec2::ZERO; // the hold already carried this move
    }
    shiftGroup(step);
    snapGroup(cardId, zoom);
}

FieldModel::GroupEdges FieldModel::groupEdges(int cardId) const {
    // The given card wins ties.
    const PlacedCard* given = findCard(cardId);
    GroupEdges edges{given, given, given, given};
    for (const int id : dragGroup_) {
        const PlacedCard* c = findCard(id);
        if (id == cardId || !c) {
            continue;
        }
        if (c->position.y > edges.top->position.y)
            edges.top = c;
        if (c->position.x < edges.leftmost->position.x)
            edges.leftmost = c;
        if (c->position.y < edges.bottom->position.y)
            edges.bottom = c;
        if (c->position.x > edges.rightmost->position.x)
            edges.rightmost = c;
    }
    return edges;
}

engine::Vec2 FieldModel::clampedStep(int cardId, engine::Vec2 offset, const FieldViewport& viewport) const {
    const GroupEdges edges = groupEdges(cardId);
    const float zoom = viewport.zoom();
    engine::Vec2 step = offset;
    // Sideways the group stays between the palette and the right edge of the
    // screen, wherever the field is scrolled.
    const float leftEdge =
        viewport.toScreen(edges.leftmost->position).x - edges.leftmost->size.width * 0.5f * zoom;
    const float rightEdge =
        viewport.toScreen(edges.rightmost->position).x + edges.rightmost->size.width * 0.5f * zoom;
    if (snapHold_.x + leftEdge + step.x < kDragLeftEdge) {
        step.x = kDragLeftEdge - snapHold_.x - leftEdge;
    } else if (snapHold_.x + rightEdge + step.x > kDragRightEdge) {
        step.x = kDragRightEdge - snapHold_.x - rightEdge;
    }
    // Up and down it stays on the content.
    const float lowest = edges.bottom->size.height * 0.5f;
    const float highest = contentSize_.height - edges.top->size.height * 0.5f;
    if (edges.bottom->position.y + step.y + snapHold_.y < lowest) {
        step.y = lowest - edges.bottom->position.y - snapHold_.y;
    } else if (edges.top->position.y + step.y + snapHold_.y > highest) {
        step.y = highest - edges.top->position.y - snapHold_.y;
    }
    return step;
}

void FieldModel::releaseHold() {
    // Back under the finger: the snap's jump onto the row is given back, or
    // every row passed would leave the group further ahead of it.
    const engine::Vec2 release = snapHold_ - snapLead_;
    for (const int id : dragGroup_) {
        if (PlacedCard* c = card(id)) {
            c->position += release;
            detachConnector(id, 0);
            detachConnector(id, 1);
        }
    }
    clearSnapTarget();
    snapHold_ = engine::Vec2::ZERO;
}

void FieldModel::shiftGroup(engine::Vec2 step) {
    for (const int id : dragGroup_) {
        PlacedCard* c = card(id);
        if (!c) {
            continue;
        }
        if (!step.isZero()) {
            // A card that leaves its row must not stay in the program there.
            detachConnector(id, 0);
            detachConnector(id, 1);
        }
        c->position += step;
        unlinkOutsideGroup(*c);
    }
}

void FieldModel::unlinkOutsideGroup(PlacedCard& moved) {
    for (std::size_t link = 0; link < moved.links.size(); ++link) {
        const int linked = moved.links[link];
        if (linked == kNoCard || inDragGroup(linked)) {
            continue;
        }
        if (PlacedCard* other = card(linked)) {
            int& back = other->links[static_cast<std::size_t>(PlacedCard::opposite(static_cast<int>(link)))];
            if (back == moved.id) {
                back = kNoCard;
            }
        }
        moved.links[link] = kNoCard;
    }
}

void FieldModel::snapGroup(int cardId, float zoom) {
    PlacedCard* dragged = card(cardId);
    const std::optional<SnapPair> pair = findSnap(*dragged, zoom);
    if (!pair) {
        return;
    }
    attach(*dragged, *pair);
    snapTarget_ = pair->row;
    snappedConnector_ = pair->cardConnector;
    const engine::Vec2 toSlot =
        slots_[static_cast<std::size_t>(pair->row)].connectorPoint(pair->slotConnector) -
        dragged->connectorPoint(pair->cardConnector);
    for (const int id : dragGroup_) {
        if (PlacedCard* c = card(id)) {
            c->position += toSlot;
        }
    }
    snapLead_ = toSlot;
    for (const int id : dragGroup_) {
        if (id != cardId) {
            snapCard(id, zoom);
        }
    }
}

void FieldModel::snapCard(int cardId, float zoom) {
    PlacedCard* snapped = card(cardId);
    if (!snapped) {
        return;
    }
    if (const std::optional<SnapPair> pair = findSnap(*snapped, zoom)) {
        attach(*snapped, *pair);
    }
}

float FieldModel::snapLimit(float zoom) {
    return std::trunc(kSnapDistance / zoom);
}

std::optional<FieldModel::SnapPair> FieldModel::findSnap(const PlacedCard& placed, float zoom) const {
    std::optional<SnapPair> best;
    float bestDistance = snapLimit(zoom);
    for (int cc = 0; cc < 2; ++cc) {
        const Connector& cardConnector = placed.connectors[static_cast<std::size_t>(cc)];
        const engine::Vec2 point = placed.connectorPoint(cc);
        for (int row = 0; row < static_cast<int>(slots_.size()); ++row) {
            const RowSlot& slot = slots_[static_cast<std::size_t>(row)];
            for (int sc = 0; sc < 2; ++sc) {
                const Connector& slotConnector = slot.connectors[static_cast<std::size_t>(sc)];
                if (slotConnector.isAttached() && slotConnector.attached != placed.id) {
                    continue;
                }
                // A pair that cannot face each other never snaps, so it must
                // not hide a farther pair that can.
                if (!cardConnector.facesOpposite(slotConnector)) {
                    continue;
                }
                const float distance = slot.connectorPoint(sc).distance(point);
                if (distance < bestDistance) {
                    bestDistance = distance;
                    best = SnapPair{cc, row, sc};
                }
            }
        }
    }
    return best;
}

void FieldModel::attach(PlacedCard& placed, const SnapPair& pair) {
    // Joined to one slot at a time.
    detachConnector(placed.id, pair.cardConnector);
    placed.connectors[static_cast<std::size_t>(pair.cardConnector)].attached = pair.row;
    slots_[static_cast<std::size_t>(pair.row)]
        .connectors[static_cast<std::size_t>(pair.slotConnector)]
        .attached = placed.id;
    for (int link = 0; link < 4; ++link) {
        const int next = neighbourRow(pair.row, link);
        const int neighbour = next == kNoRow ? kNoCard : cardOnRow(next);
        PlacedCard* other = neighbour == kNoCard || neighbour == placed.id ? nullptr : card(neighbour);
        placed.links[static_cast<std::size_t>(link)] = other ? neighbour : kNoCard;
        if (other) {
            other->links[static_cast<std::size_t>(PlacedCard::opposite(link))] = placed.id;
        }
    }
}

void FieldModel::detachConnector(int cardId, int connector) {
    PlacedCard* owner = card(cardId);
    if (!owner || connector < 0 || connector > 1) {
        return;
    }
    Connector& own = owner->connectors[static_cast<std::size_t>(connector)];
    if (own.isAttached()) {
        for (Connector& slotConnector : slots_[static_cast<std::size_t>(own.attached)].connectors) {
            if (slotConnector.attached == cardId) {
                slotConnector.attached = Connector::kNone;
                break;
            }
        }
    }
    own.attached = Connector::kNone;
}

void FieldModel::unlink(PlacedCard& placed) {
    for (std::size_t link = 0; link < placed.links.size(); ++link) {
        if (PlacedCard* other = card(placed.links[link])) {
            int& back = other->links[static_cast<std::size_t>(PlacedCard::opposite(static_cast<int>(link)))];
            if (back == placed.id) {
                back = kNoCard;
            }
        }
        placed.links[link] = kNoCard;
    }
}

int FieldModel::neighbourRow(int row, int link) const {
    if (link == PlacedCard::up && row > 0) {
        return row - 1;
    }
    if (link == PlacedCard::down && row + 1 < static_cast<int>(slots_.size())) {
        return row + 1;
    }
    return kNoRow;
}

void FieldModel::clearSnapTarget() {
    snapTarget_ = kNoRow;
    snappedConnector_ = Connector::kNone;
    snapLead_ = engine::Vec2::ZERO;
}

void FieldModel::endDrag() {
    clearSnapTarget();
    snapHold_ = engine::Vec2::ZERO;
    dragGroup_.clear();
    liftedFrom_.clear();
    zOrdersBeforeLift_.clear();
}

bool FieldModel::placeOnRow(int cardId, int row) {
    PlacedCard* placed = card(cardId);
    if (!placed || row < 0 || row >= static_cast<int>(slots_.size()) || cardOnRow(row) != kNoCard) {
        return false;
    }
    placed->position += slots_[static_cast<std::size_t>(row)].connectorPoint(0) - placed->connectorPoint(0);
    attach(*placed, SnapPair{0, row, 0});
    return true;
}

int FieldModel::rowUnder(int cardId, float tolerance) const {
    const PlacedCard* placed = findCard(cardId);
    if (!placed) {
        return kNoRow;
    }
    const engine::Vec2 point = placed->connectorPoint(0);
    for (int row = 0; row < static_cast<int>(slots_.size()); ++row) {
        const RowSlot& slot = slots_[static_cast<std::size_t>(row)];
        if (slot.connectorPoint(0).distance(point) <= tolerance) {
            return row;
        }
    }
    return kNoRow;
}

engine::Vec2 FieldModel::keptOnField(engine::Vec2 centre, engine::Size size) const {
    const auto within = [](float value, float low, float high) {
        // NaN and infinities have no place on the field: the nearest edge.
        if (!(value >= low)) {
            return low;
        }
        return value > high ? std::max(low, high) : value;
    };
    return {within(centre.x, kDragLeftEdge + size.width / 2, contentSize_.width - size.width / 2),
            within(centre.y, size.height / 2, contentSize_.height - size.height / 2)};
}

void FieldModel::relinkRowCards() {
    for (int row = 0; row < static_cast<int>(slots_.size()); ++row) {
        if (PlacedCard* onRow = card(cardOnRow(row))) {
            unlink(*onRow);
        }
    }
    for (int row = 1; row < static_cast<int>(slots_.size()); ++row) {
        PlacedCard* above = card(cardOnRow(row - 1));
        PlacedCard* below = card(cardOnRow(row));
        if (above && below) {
            above->links[PlacedCard::down] = below->id;
            below->links[PlacedCard::up] = above->id;
        }
    }
}

FieldRows FieldModel::fieldRows() const {
    FieldRows rows;
    rows.reserve(slots_.size());
    for (int row = 0; row < static_cast<int>(slots_.size()); ++row) {
        const PlacedCard* onRow = findCard(cardOnRow(row));
        if (onRow) {
            rows.push_back({CardSlot{onRow->cardSet, onRow->cardIndex, onRow->value}});
        } else {
            rows.push_back({std::nullopt});
        }
    }
    return rows;
}

} // namespace pavlune
