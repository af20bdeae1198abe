#pragma once

#include "catalogue/CardSet.h"
#include "engine/base/Geometry.h"
#include "engine/base/ScreenLayout.h"
#include "field/FieldViewport.h"
#include "field/PlacedCard.h"
#include "field/RowSlot.h"
#include "program/FieldRows.h"

#include <array>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace pavlune {

class CatalogueView;
class FieldGeometry;

// The editor's field without any display: the row slots, the cards placed on
// the field in creation order, which card is snapped to which row, the cards
// being dragged and the snap state of the drag, and how many cards of each
// kind lie on the field. The view mirrors it with nodes, keyed by card id,
// and re-reads positions, z-orders and slot occupancy after each operation.
//
// Positions are content units of the field. Card ids start at 1 and are never
// reused, so a view may keep them after a card is gone.
class FieldModel {
public:
    static constexpr int kNoCard = PlacedCard::kNoCard;
    static constexpr int kNoRow = Connector::kNone;
    // A connector snaps within this many screen units of a slot's.
    static constexpr float kSnapDistance = 60;
    // Screen x between which a dragged group stays: the palette's right edge
    // and a margin inside the design width.
    static constexpr float kDragLeftEdge = design::kPaletteWidth;
    static constexpr float kDragRightEdge = design::kWidth - design::kDragRightMargin;

    // `catalogue` gives the number of cards in each set (the same in every
    // dialect); it is not kept.
    FieldModel(const FieldGeometry& geometry, const CatalogueView& catalogue);

    engine::Size contentSize() const { return contentSize_; }
    const std::vector<RowSlot>& rowSlots() const { return slots_; }
    const RowSlot& rowSlot(int row) const { return slots_.at(static_cast<std::size_t>(row)); }
    // The card snapped to the row, or kNoCard.
    int cardOnRow(int row) const;

    // Whether (cardSet, cardIndex) names a card of the catalogue.
    bool isCatalogueCard(int cardSet, int cardIndex) const;
    // Empties the field: no cards, no drag, every slot free, counts at 0.
    void clear();
    // Puts a new card with its centre at `position`, on top of all others
    // (z-order INT_MAX), its connector 0 at the middle of its left edge facing
    // right. Returns its id, or kNoCard when the catalogue has no such card.
    int addCard(int cardSet, int cardIndex, engine::Vec2 position, engine::Size size);
    // Takes the card off the field: detached, unlinked, uncounted and out of
    // the drag group (iterate a copy of dragGroup() when removing from it).
    // False when there is no such card.
    bool removeCard(int cardId);
    void setCardValue(int cardId, std::string value);
    void setCardZOrder(int cardId, int zOrder);
    // Moves a loose card; a card on a row stays where its row holds it.
    void setCardPosition(int cardId, engine::Vec2 position);

    // In creation order.
    const std::vector<PlacedCard>& placedCards() const { return cards_; }
    // Null when there is no such card.
    const PlacedCard* findCard(int cardId) const;

    // How many cards of this kind lie on the field; 0 for an unknown kind.
    int useCount(int cardSet, int cardIndex) const;

    const std::vector<int>& dragGroup() const { return dragGroup_; }
    // The palette's drag: the new card alone, then raiseCards().
    void setDragGroup(std::vector<int> cardIds);
    // Picks up one card: it holds on to its row until moved far enough, and
    // comes on top.
    void liftCard(int cardId);
    // Picks up the card with the block of snapped cards below it (rows down to
    // the first empty one, or the loose cards linked to it), on top.
    void liftBlock(int cardId);
    // The drag group := the card and the block below it.
    void collectBlock(int cardId);
    // The card and the block that liftBlock would take, changing nothing.
    std::vector<int> blockOf(int cardId) const;
    // Puts the drag group on top: from its last card to its first, every card
    // above the dragged one comes down by one and the dragged one gets z-order
    // N, the number of placed cards. The first card ends on top.
    void raiseCards();
    // Z-orders 1..N in their current order (ties in creation order), unless
    // they are so already.
    void compactZOrders();
    // Moves the drag group with `cardId` under the finger by `offset` (content
    // units): clamped to the field, held on its row until the finger has gone
    // more than 60 screen units, and snapped to a free row slot that its
    // connector comes within 60 screen units of, facing it. The rest of the
    // group snaps to the rows it lands on. With an empty group only snaps.
    void moveCards(int cardId, engine::Vec2 offset, const FieldViewport& viewport);
    // Snaps one card where it lies, without moving it or the snap target.
    void snapCard(int cardId, float zoom);
    // Puts a loose card onto a free row's slot (connector to connector) and
    // links it to its neighbours. False when the row is taken or unknown.
    bool placeOnRow(int cardId, int row);
    // The row whose slot connector lies within `tolerance` content units of
    // the card's connector 0 (taken or not), or kNoRow.
    int rowUnder(int cardId, float tolerance) const;

    // The centre moved so that the whole card lies on the field right of the
    // palette, where it can be seen and grabbed.
    engine::Vec2 keptOnField(engine::Vec2 centre, engine::Size size) const;
    // Frees one of a card's connectors and the slot connector joined to it.
    void detachConnector(int cardId, int connector);
    // Row cards' links follow from the rows: up and down to the neighbouring
    // rows' cards, nothing sideways (after cards changed rows).
    void relinkRowCards();

    // The row slot the dragged card was last snapped to, or kNoRow.
    int snapTarget() const { return snapTarget_; }
    // The dragged card's connector of that snap, or Connector::kNone.
    int snappedConnector() const { return snappedConnector_; }
    // Movement gathered since the snap, in content units.
    engine::Vec2 snapHold() const { return snapHold_; }
    // Forgets the snap target; the card stays snapped.
    void clearSnapTarget();
    // The end of any drag: no snap target, no hold, empty drag group.
    // A cancelled drag first puts the group back where it was lifted.
    void cancelDrag();
    void endDrag();

    // One row per field row, each with one slot: the card snapped there, or
    // nothing.
    FieldRows fieldRows() const;

private:
    struct SnapPair {
        int cardConnector = 0;
        int row = 0;
        int slotConnector = 0;
    };

    // The cards of the drag group furthest in each direction.
    struct GroupEdges {
        const PlacedCard* top;
        const PlacedCard* leftmost;
        const PlacedCard* bottom;
        const PlacedCard* rightmost;
    };

    PlacedCard* card(int cardId);
    bool inDragGroup(int cardId) const;
    // The steps of moveCards: the move kept on the field and between the
    // palette and the screen's right edge; the snapped group let go of its
    // row once held far enough; the group moved off its rows and away from
    // the cards it leaves; the group snapped to the row its card comes near.
    GroupEdges groupEdges(int cardId) const;
    engine::Vec2 clampedStep(int cardId, engine::Vec2 offset, const FieldViewport& viewport) const;
    void releaseHold();
    void shiftGroup(engine::Vec2 step);
    void unlinkOutsideGroup(PlacedCard& moved);
    void snapGroup(int cardId, float zoom);
    // The row next to `row` in a link direction, or kNoRow.
    int neighbourRow(int row, int link) const;
    static float snapLimit(float zoom);
    std::optional<SnapPair> findSnap(const PlacedCard& card, float zoom) const;
    void attach(PlacedCard& card, const SnapPair& pair);
    void unlink(PlacedCard& card);
    void visitBlock(int cardId, std::vector<int>& block) const;
    void rememberLift();

    engine::Size contentSize_;
    std::vector<RowSlot> slots_;
    std::vector<PlacedCard> cards_;
    // Card id to its place in cards_, so a lookup never walks the field.
    std::unordered_map<int, std::size_t> index_;
    // Where the drag group lay when it was lifted, with its rows.
    struct Lifted {
        int cardId = kNoCard;
        engine::Vec2 position;
        int row = kNoRow;
    };
    std::vector<Lifted> liftedFrom_;
    std::vector<std::pair<int, int>> zOrdersBeforeLift_;
    std::array<std::vector<int>, kCardSetCount> useCounts_;
    std::vector<int> dragGroup_;
    int snapTarget_ = kNoRow;
    int snappedConnector_ = Connector::kNone;
    engine::Vec2 snapHold_;
    // How far the snap moved the group onto its row, ahead of the finger.
    engine::Vec2 snapLead_;
    int nextId_ = 1;
};

} // namespace pavlune
