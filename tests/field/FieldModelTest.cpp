// The field model: row layout, snapping while dragging, the hold on a row,
// clamping, use counts and the field program.
#include "FieldTestSetup.h"

#include <cmath>
#include <gtest/gtest.h>

namespace pavlune {
namespace {

using namespace test;

void expectNear(engine::Vec2 actual, engine::Vec2 expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-3) << "x";
    EXPECT_NEAR(actual.y, expected.y, 1e-3) << "y";
}

TEST(FieldGeometry, FirstAndLastRowsOnTheDesignScreen) {
    const FieldGeometry geometry = designGeometry();
    EXPECT_NEAR(geometry.contentSize().width, 1536, 1e-3);
    EXPECT_NEAR(geometry.contentSize().height, 5629.44, 1e-3);
    expectNear(geometry.initialContentOffset(), {0, -4861.44f});

    struct Row {
        int row;
        float plateY;
        int lineNumber;
    };
    for (const Row& r : {Row{0, 5514.44f, 10}, Row{39, 444.44f, 400}}) {
        SCOPED_TRACE(r.row);
        const FieldRowLayout layout = geometry.row(r.row);
        expectNear(layout.plate, {507.5f, r.plateY});
        expectNear(layout.slot, {662.5f, r.plateY});
        expectNear(layout.lineNumber, {542.5f, r.plateY});
        expectNear(layout.insertButton, {447.5f, r.plateY + 65});
        expectNear(layout.deleteButton, {447.5f, r.plateY});
        EXPECT_EQ(layout.lineNumberText(), std::to_string(r.lineNumber));
    }
}

TEST(FieldModelSnap, SnapsBelowSixtyScreenUnitsOfAFreeSlotFacingIt) {
    struct Case {
        float zoom;
        engine::Vec2 fromSlot; // the card's left-edge midpoint, relative to the slot point
        bool snaps;
    };
    const Case cases[] = {
        {1.0f, {59, 0}, true},
        {1.0f, {60, 0}, false},
        {1.0f, {-59, 0}, true},
        {1.0f, {-40, -40}, true},
        {1.0f, {0, 59}, true},
        {0.5f, {119, 0}, true},
        {0.5f, {120, 0}, false},
        // Ctrl+minus reaches 0.7: 60 / 0.7 = 85.71 is cut to 85, not rounded to 86.
        {0.7f, {84.5f, 0}, true},
        {0.7f, {85.5f, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "zoom " << c.zoom << " at " << c.fromSlot.x << "," << c.fromSlot.y);
        FieldModel model = designField();
        const int card = model.addCard(basic, 0, {800, 2000}, kCard);
        dragTo(model, card, slotPoint(5) + c.fromSlot, topView(c.zoom));

        EXPECT_EQ(model.cardOnRow(5), c.snaps ? card : FieldModel::kNoCard);
        EXPECT_EQ(model.rowSlot(5).isOccupied(), c.snaps);
        EXPECT_EQ(model.snapTarget(), c.snaps ? 5 : FieldModel::kNoRow);
        const engine::Vec2 expected = c.snaps ? slotPoint(5) : slotPoint(5) + c.fromSlot;
        expectNear(model.findCard(card)->position, centreFor(expected));
    }
}

TEST(FieldModelSnap, ATakenSlotDoesNotAttractAnotherCard) {
    FieldModel model = designField();
    const int first = snapNewCard(model, 5);
    const int second = model.addCard(basic, 1, {800, 2000}, kCard);
    dragTo(model, second, slotPoint(5) + engine::Vec2(20, 0), topView());
    EXPECT_EQ(model.cardOnRow(5), first);
    EXPECT_EQ(model.findCard(second)->connectors[0].attached, FieldModel::kNoRow);
}

TEST(FieldModelSnap, HeldOnItsRowUntilTheFingerHasMovedMoreThanSixtyScreenUnits) {
    struct Case {
        float zoom;
        float heldStep; // two of these keep it exactly at the limit
    };
    for (const Case& c : {Case{1.0f, 30}, Case{0.5f, 60}}) {
        SCOPED_TRACE(c.zoom);
        FieldModel model = designField();
        // Put down 10 units right of the slot point, where the finger holds it.
        const engine::Vec2 finger = slotPoint(5) + engine::Vec2(10, 0);
        const int card = model.addCard(basic, 0, centreFor(finger), kCard);
        dragTo(model, card, finger, topView(c.zoom));
        ASSERT_EQ(model.cardOnRow(5), card);

        model.moveCards(card, {c.heldStep, 0}, topView(c.zoom));
        model.moveCards(card, {c.heldStep, 0}, topView(c.zoom));
        expectNear(model.findCard(card)->position, centreFor(slotPoint(5)));
        EXPECT_EQ(model.cardOnRow(5), card);

        model.moveCards(card, {1, 0}, topView(c.zoom));
        const float travelled = 2 * c.heldStep + 1;
        // Let go of the row, the card is under the finger again.
        expectNear(model.findCard(card)->position, centreFor(finger + engine::Vec2(travelled, 0)));
        EXPECT_EQ(model.cardOnRow(5), FieldModel::kNoCard);
        EXPECT_FALSE(model.rowSlot(5).isOccupied());
        EXPECT_EQ(model.snapTarget(), FieldModel::kNoRow);
        EXPECT_TRUE(model.snapHold().isZero());
    }
}

// Catches a detach that moves the card by the finger's travel alone: each
// row the card snaps to on the way then leaves it further ahead of the finger.
TEST(FieldModelSnap, ACardDraggedDownAColumnStaysUnderTheFinger) {
    FieldModel model = designField();
    const int card = snapNewCard(model, 0);
    const engine::Vec2 start = model.findCard(card)->position;
    model.liftCard(card);
    const float travel = 6 * kRowPitch + 20;
    for (float moved = 0; moved < travel; moved += 5) {
        model.moveCards(card, {0, -5}, topView());
    }
    const float finger = start.y - travel;
    EXPECT_LE(std::abs(model.findCard(card)->position.y - finger), FieldModel::kSnapDistance);
}

TEST(FieldModelSnap, AGroupOfThreeSnapsOntoThreeFreeRowsAndIsLinked) {
    FieldModel model = designField();
    std::vector<int> group;
    for (int i = 0; i < 3; ++i) {
        // Each comes out of the palette on top of the ones before.
        group.push_back(
            model.addCard(basic, i, centreFor({700, 1500 - 128.0f * static_cast<float>(i)}), kCard));
        model.setDragGroup({group.back()});
        model.raiseCards();
    }
    model.setDragGroup(group);
    const engine::Vec2 start = model.findCard(group[0])->position;
    model.moveCards(group[0], centreFor(slotPoint(10) + engine::Vec2(20, 0)) - start, topView());

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(model.cardOnRow(10 + i), group[static_cast<std::size_t>(i)]) << i;
    }
    // The others follow the first card's snap and keep their distance to it.
    expectNear(model.findCard(group[2])->position, centreFor(slotPoint(10) - engine::Vec2(0, 256)));
    EXPECT_EQ(model.findCard(group[0])->links[PlacedCard::down], group[1]);
    EXPECT_EQ(model.findCard(group[1])->links[PlacedCard::up], group[0]);
    EXPECT_EQ(model.findCard(group[1])->links[PlacedCard::down], group[2]);
    EXPECT_EQ(model.findCard(group[2])->links[PlacedCard::up], group[1]);

    // Held still, the top card picks up the block below it, the first card on top.
    model.endDrag();
    model.liftBlock(group[0]);
    EXPECT_EQ(model.dragGroup(), group);
    EXPECT_EQ(model.findCard(group[0])->zOrder, 3);
    EXPECT_EQ(model.findCard(group[1])->zOrder, 2);
    EXPECT_EQ(model.findCard(group[2])->zOrder, 1);
}

TEST(FieldModelMove, TheGroupStaysBetweenThePaletteAndTheRightEdgeAndOnTheContent) {
    struct Case {
        const char* name;
        std::vector<engine::Vec2> cards; // the first is under the finger
        FieldViewport view;
        engine::Vec2 offset;
        engine::Vec2 moved;
    };
    const float top = 5629.44f - 60;
    const Case cases[] = {
        // A card further left of the group than the one under the finger reaches 275 first.
        {"left", {{600, 3000}, {400, 3130}}, FieldViewport({0, 0}, 1.0f), {-200, 0}, {-25, 0}},
        // Screen x counts the scroll and the zoom: 100 + 500 x 0.5 - 50 = 300.
        {"left zoomed", {{500, 3000}}, FieldViewport({100, 0}, 0.5f), {-100, 0}, {-25, 0}},
        {"right", {{900, 3000}}, FieldViewport({0, 0}, 1.0f), {100, 0}, {19, 0}},
        {"bottom", {{400, 3000}, {420, 100}}, FieldViewport({0, 0}, 1.0f), {0, -100}, {0, -40}},
        {"top", {{400, top - 100}}, FieldViewport({0, 0}, 1.0f), {0, 150}, {0, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FieldModel model = designField();
        std::vector<int> group;
        for (const engine::Vec2& at : c.cards) {
            group.push_back(model.addCard(basic, 0, at, kCard));
        }
        model.setDragGroup(group);
        model.moveCards(group[0], c.offset, c.view);
        for (std::size_t i = 0; i < group.size(); ++i) {
            expectNear(model.findCard(group[i])->position, c.cards[i] + c.moved);
        }
    }
}

TEST(FieldModelCounts, UseCountsFollowAddingAndRemovingPerKind) {
    FieldModel model = designField();
    const int led = model.addCard(basic, 0, {800, 2000}, kCard);
    model.addCard(basic, 0, {800, 2300}, kCard);
    model.addCard(full, 21, {800, 2600}, kCard);
    EXPECT_EQ(model.addCard(basic, 6, {800, 2900}, kCard), FieldModel::kNoCard);
    EXPECT_EQ(model.addCard(3, 0, {800, 2900}, kCard), FieldModel::kNoCard);

    EXPECT_EQ(model.useCount(basic, 0), 2);
    EXPECT_EQ(model.useCount(full, 0), 0);
    EXPECT_EQ(model.useCount(full, 21), 1);
    EXPECT_EQ(model.placedCards().size(), 3u);

    EXPECT_TRUE(model.removeCard(led));
    EXPECT_FALSE(model.removeCard(led));
    EXPECT_EQ(model.useCount(basic, 0), 1);
    EXPECT_EQ(model.placedCards().size(), 2u);
}

TEST(FieldModelProgram, TheProgramIsTheCardSnappedToEachRowInOrder) {
    FieldModel model = designField();
    const int wait = snapNewCard(model, 0, 2, full);
    model.setCardValue(wait, "0.5");
    snapNewCard(model, 2, 1, basic);
    model.addCard(basic, 0, {800, 2000}, kCard); // loose: not in the program

    const FieldRows rows = model.fieldRows();
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(kFieldRowCount));
    EXPECT_EQ(rows[0], (FieldRow{CardSlot{full, 2, "0.5"}}));
    EXPECT_EQ(rows[1], (FieldRow{std::nullopt}));
    EXPECT_EQ(rows[2], (FieldRow{CardSlot{basic, 1, ""}}));
    for (std::size_t row = 3; row < rows.size(); ++row) {
        EXPECT_EQ(rows[row], (FieldRow{std::nullopt})) << row;
    }
}

} // namespace
} // namespace pavlune
