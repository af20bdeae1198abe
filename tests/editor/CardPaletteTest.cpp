// The palette: dragging cards out onto the field, the set tabs with their
// scroll positions, the count badges and the wheel.

#include "editor/palette/CardPalette.h"

#include "editor/EditorSession.h"
#include "editor/cards/CardSprite.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/gestures/CardGestures.h"
#include "engine/2d/Director.h"
#include "engine/2d/LabelAtlas.h"
#include "engine/base/FileUtils.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/editor/PaletteFixture.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

using engine::Vec2;

namespace {

class CardPaletteTest : public PaletteFixture {
protected:
    void SetUp() override {
        PaletteFixture::SetUp();
        palette = editor->getSession().rooms().palette;
        ASSERT_NE(palette, nullptr);
    }

    // A move of `length` units at `degrees` from the horizontal, rightwards.
    static Vec2 towards(float degrees, float length) {
        const float radians = degrees * std::numbers::pi_v<float> / 180;
        return Vec2(std::cos(radians), std::sin(radians)) * length;
    }
    float paletteOffset() const { return palette->getPaletteView()->getContentOffset().y; }
    CardSprite* floating() { return palette->getDrag().floatingCard(); }
    void tapOn(const engine::Node* node) { tap(worldPosition(node)); }
    // Drags palette card `index` in 30 moves to 20 left of and 15 above the
    // slot of `row`, and lets go there.
    void dragOntoRow(int index, int row) {
        FieldBoard* board = editor->getSession().rooms().board.get();
        const Vec2 card = worldPosition(palette->paletteCard(index));
        const Vec2 drop = board->viewport().toScreen(board->model().rowSlot(row).position) + Vec2(-20, 15);
        driver->touchBegan(card);
        for (int step = 1; step <= 30; ++step) {
            driver->touchMoved(card + (drop - card) * (static_cast<float>(step) / 30));
        }
        driver->touchEnded(drop);
        driver->step();
    }

    CardPalette* palette = nullptr;
};

// Catches the angle taken as atan2(dy, dx) (70 degrees would lift), and a
// steep move that does not settle the touch (a later rightward move lifts).
TEST_F(CardPaletteTest, ARightwardMoveLiftsTheCardAtOnceAndASteepOneScrollsForTheRestOfTheTouch) {
    const Vec2 card = worldPosition(palette->paletteCard(0));
    driver->touchBegan(card);
    driver->touchMoved(card + towards(30, 12));
    ASSERT_NE(floating(), nullptr);
    // Touches arrive in whole pixels of the window.
    EXPECT_LT(worldPosition(floating()).distance(card + towards(30, 12)), 1.0f);
    driver->touchEnded(card + towards(30, 12));
    driver->step();
    ASSERT_EQ(floating(), nullptr);

    const float top = paletteOffset();
    driver->touchBegan(card);
    driver->touchMoved(card + towards(70, 12));
    driver->touchMoved(card + towards(70, 40));
    driver->touchMoved(card + towards(70, 40) + Vec2(60, 0));
    EXPECT_EQ(floating(), nullptr);
    EXPECT_GT(paletteOffset(), top);
    driver->touchEnded(card + towards(70, 40) + Vec2(60, 0));
}

// Catches a wrong delay, a lift without the (3, 3) offset, and a lift that
// does not take the touch from the palette (it would scroll on under the card).
TEST_F(CardPaletteTest, HoldingACardStillLiftsACopyOffsetByThreeUnitsAndThePaletteStopsScrolling) {
    const Vec2 card = worldPosition(palette->paletteCard(1));
    driver->touchBegan(card);
    driver->advance(0.65f);
    EXPECT_EQ(floating(), nullptr);
    driver->advance(0.1f);
    ASSERT_NE(floating(), nullptr);
    EXPECT_EQ(worldPosition(floating()), card + Vec2(3, 3));
    EXPECT_EQ(floating()->getOpacity(), 150);
    EXPECT_EQ(floating()->getCardIndex(), 1);

    const float offset = paletteOffset();
    for (float rise : {10.0f, 25.0f, 50.0f}) {
        driver->touchMoved(card + Vec2(0, rise));
        driver->step();
    }
    EXPECT_EQ(paletteOffset(), offset);
    EXPECT_EQ(worldPosition(floating()), card + Vec2(3, 53));
    driver->touchEnded(card + Vec2(0, 50));
}

// Catches a field card made as soon as the copy's centre passes the
// palette's edge rather than the whole copy.
TEST_F(CardPaletteTest, ACopyReleasedWhileStillPartlyOverThePaletteCreatesNothing) {
    const Vec2 card = worldPosition(palette->paletteCard(0));
    const Vec2 end = card + Vec2(275 + 80 - card.x, 0); // copy centre at x 355, its left half on the palette
    driver->touchBegan(card);
    driver->touchMoved(card + Vec2(20, 0));
    driver->touchMoved(end);
    driver->touchMoved(end + Vec2(0, 1));
    driver->touchEnded(end + Vec2(0, 1));
    driver->step();
    EXPECT_TRUE(editor->getSession().rooms().board->cardNodes().empty());
    EXPECT_EQ(floating(), nullptr);
    EXPECT_EQ(editor->getSession().rooms().board->model().useCount(0, 0), 0);
}

// Catches the field card put at the copy's screen position without the
// field's offset (it would land far away and snap nowhere), a card left
// translucent, and a drag that ends without saving the program.
TEST_F(CardPaletteTest, DraggingACardOntoTheFieldSnapsItToTheRowItReachesAndSavesTheProgram) {
    FieldBoard* board = editor->getSession().rooms().board.get();
    const Vec2 card = worldPosition(palette->paletteCard(0));
    const Vec2 slot = board->viewport().toScreen(board->model().rowSlot(1).position);
    driver->touchBegan(card);
    for (int step = 1; step <= 30; ++step) {
        driver->touchMoved(card + (slot + Vec2(-20, 15) - card) * (static_cast<float>(step) / 30));
    }
    EXPECT_EQ(board->cardNodes().size(), 1u);
    driver->touchEnded(slot + Vec2(-20, 15));
    driver->step();

    const pavlune::FieldRows rows = board->fieldRows();
    EXPECT_EQ(rows[1].front(), (pavlune::CardSlot{0, 0, ""}));
    ASSERT_EQ(board->cardNodes().size(), 1u);
    EXPECT_EQ(board->cardNodes().front()->getOpacity(), 255);
    EXPECT_TRUE(board->model().dragGroup().empty());
    EXPECT_EQ(floating(), nullptr);
    const engine::ValueVector saved =
        engine::FileUtils::getInstance()->getValueVectorFromFile(programFilePath());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(engine::valueForKey(saved[0].asValueMap(), "index").asInt(), 0);
}

// A card carried out of the palette by its middle and let go with the finger
// over the right part of a free row's slot, about 100 units from where its
// left edge would snap, takes that row as a card dragged on the field does
// (which rows the finger takes is the field model's, tested there). Catches a
// palette drop that skips the finger's rule: the card stayed loose beside
// the row.
TEST_F(CardPaletteTest, ACardLetGoWithTheFingerOverAFreeRowTakesItThoughItsEdgeIsFar) {
    FieldBoard* board = editor->getSession().rooms().board.get();
    const Vec2 card = worldPosition(palette->paletteCard(0));
    const Vec2 drop = board->viewport().toScreen(board->model().rowSlot(2).position) + Vec2(100, 40);
    driver->touchBegan(card);
    for (int step = 1; step <= 30; ++step) {
        driver->touchMoved(card + (drop - card) * (static_cast<float>(step) / 30));
    }
    const CardSprite* placed = palette->getDrag().placingCard();
    ASSERT_NE(placed, nullptr);
    ASSERT_EQ(board->model().cardOnRow(2), pavlune::FieldModel::kNoCard) << "not snapped while dragged";
    driver->touchEnded(drop);
    driver->step();

    EXPECT_EQ(board->model().cardOnRow(2), placed->modelId);
    const Vec2 shown = board->viewport().toScreen(placed->getPosition());
    EXPECT_FLOAT_EQ(shown.x, kRowCardX);
    EXPECT_NEAR(shown.y, rowScreenY(2), 0.01);
    EXPECT_EQ(board->fieldRows()[2].front(), (pavlune::CardSlot{0, 0, ""}));
}

// A number card out of the palette holds a number from the start, shown on
// its front and saved. Catches a new card left empty: its front would show
// nothing (an empty loop card runs once in jam and que, never in latte).
TEST_F(CardPaletteTest, ANumberCardComesOutOfThePaletteWithItsStartingNumber) {
    tapOn(palette->tabSprite(2));
    ASSERT_EQ(pavlune::DeviceManager::getInstance()->getCurrentCardSet(), 2);
    dragOntoRow(2, 1); // the wait card: the first cards of a set are in view
    FieldBoard* board = editor->getSession().rooms().board.get();
    const pavlune::FieldRows rows = board->fieldRows();
    EXPECT_EQ(rows[1].front(), (pavlune::CardSlot{2, 2, "1"}));
    ASSERT_EQ(board->cardNodes().size(), 1u);
    auto* placed = dynamic_cast<InputCardSprite*>(board->cardNodes().front());
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(placed->getFrontLargeLabel()->getString(), "1");
    EXPECT_FALSE(placed->isValueWrong());
    const engine::ValueVector saved =
        engine::FileUtils::getInstance()->getValueVectorFromFile(programFilePath());
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(engine::valueForKey(saved[0].asValueMap(), "value").asString(), "1");
}

// The palette's card is placed as a dragged field card moves: held against
// the bottom edge (its lower reference line, 30 below the centre, at screen y
// 3) the field scrolls 5 + (5 - 3) / 5 units a frame under it, and let go on
// a taken row it slides beside the column, clear of the row card and the
// controls, while the row keeps its card. Catches a placed card that edge
// scrolling does not follow, and a drop that takes a taken row.
TEST_F(CardPaletteTest, APlacedCardScrollsTheFieldAtTheEdgeAndLiesBesideATakenRow) {
    FieldBoard* board = editor->getSession().rooms().board.get();
    FieldScrollView* field = editor->getSession().rooms().fieldView;
    const Vec2 card = worldPosition(palette->paletteCard(0));
    const auto carryTo = [&](Vec2 to) {
        driver->touchBegan(card);
        for (int step = 1; step <= 30; ++step) {
            driver->touchMoved(card + (to - card) * (static_cast<float>(step) / 30));
        }
    };
    const Vec2 onRow1 = board->viewport().toScreen(board->model().rowSlot(1).position) + Vec2(-20, 15);
    carryTo(onRow1);
    driver->touchEnded(onRow1);
    driver->step();
    const int first = board->model().cardOnRow(1);
    ASSERT_NE(first, pavlune::FieldModel::kNoCard);
    carryTo(onRow1);
    driver->touchEnded(onRow1);
    driver->advance(0.3f);
    ASSERT_EQ(board->cardNodes().size(), 2u);
    EXPECT_EQ(board->model().cardOnRow(1), first);
    const CardSprite* second = board->cardNodes().back();
    EXPECT_FALSE(board->model().findCard(second->modelId)->connectors[0].isAttached());
    // Clear of the row card, the run panel and the back button's tab.
    const engine::Rect beside = HitTest::worldBoundingBox(second);
    const engine::Rect kept[] = {
        HitTest::worldBoundingBox(board->cardNodes().front()), {874, 184, 150, 400}, {914, 698, 110, 70}};
    for (const engine::Rect& area : kept) {
        EXPECT_TRUE(beside.getMaxX() <= area.getMinX() || area.getMaxX() <= beside.getMinX() ||
                    beside.getMaxY() <= area.getMinY() || area.getMaxY() <= beside.getMinY())
            << "covers (" << area.getMinX() << ", " << area.getMinY() << ")";
    }

    const Vec2 atEdge(880, 33);
    carryTo(atEdge);
    CardSprite* placed = palette->getDrag().placingCard();
    ASSERT_NE(placed, nullptr);
    const auto screenY = [&] { return board->viewport().toScreen(placed->getPosition()).y; };
    // The copy trails the finger by the move that lifted it: the card's own
    // centre is brought to y 33.
    driver->touchMoved(atEdge + Vec2(0, 33 - screenY()));
    driver->step(0);
    ASSERT_NEAR(screenY(), 33, 1e-3);
    for (int frame = 0; frame < 2; ++frame) {
        const float before = field->getContentOffset().y;
        driver->step();
        EXPECT_NEAR(field->getContentOffset().y - before, 5.4f, 1e-3) << "frame " << frame;
        EXPECT_NEAR(screenY(), 33, 1e-3) << "frame " << frame;
    }
    driver->touchEnded(atEdge);
    driver->step();
    EXPECT_FALSE(editor->getSession().rooms().gestures->isAutoScrolling());
    EXPECT_EQ(placed->getOpacity(), 255);
}

// Catches a palette card let go beyond the window's top right corner that
// stays under the back button, where no finger can grab it again.
TEST_F(CardPaletteTest, ACardLetGoBeyondTheWindowsCornerEndsWhereItCanBeGrabbed) {
    FieldBoard* board = editor->getSession().rooms().board.get();
    const engine::Size visible = engine::Director::getInstance()->getVisibleSize();
    const Vec2 card = worldPosition(palette->paletteCard(0));
    const Vec2 outside(visible.width + 300, visible.height + 300);
    driver->touchBegan(card);
    for (int step = 1; step <= 30; ++step) {
        driver->touchMoved(card + (outside - card) * (static_cast<float>(step) / 30));
    }
    driver->touchEnded(outside);
    driver->step();
    ASSERT_EQ(board->cardNodes().size(), 1u);
    const Vec2 centre = board->viewport().toScreen(board->model().placedCards().front().position);
    EXPECT_LE(centre.x, visible.width);
    EXPECT_GE(centre.x, 275.0f);
    EXPECT_GE(centre.y, 0.0f);
    EXPECT_LE(centre.y, visible.height);
    EXPECT_FALSE(HitTest::worldBoundingBox(editor->getSession().rooms().runControls->getBackButton())
                     .containsPoint(centre));
}

// Catches the offset kept under the set being entered instead of the one
// being left, and a set that opens anywhere but at its first card.
TEST_F(CardPaletteTest, EachSetKeepsItsScrollPositionAndOpensAtItsFirstCardTheFirstTime) {
    // 22 cards of 120 with 20 between, 40 free at each end: 3140 units in a window of 710.
    const float fullFirstCard = 710.0f - 3140.0f;
    tapOn(palette->tabSprite(2));
    ASSERT_EQ(pavlune::DeviceManager::getInstance()->getCurrentCardSet(), 2);
    EXPECT_EQ(palette->paletteCardCount(), 22);
    EXPECT_EQ(paletteOffset(), fullFirstCard);
    EXPECT_TRUE(shows(palette->tabSprite(2), "res/cards/r_full_on.png"));
    EXPECT_TRUE(shows(palette->tabSprite(0), "res/cards/r_basic_off.png"));

    tapOn(palette->getDownButton());
    EXPECT_EQ(paletteOffset(), fullFirstCard + 300);
    tapOn(palette->tabSprite(0));
    EXPECT_EQ(palette->paletteCardCount(), 6);
    tapOn(palette->tabSprite(2));
    EXPECT_EQ(paletteOffset(), fullFirstCard + 300);
}

// Catches a badge that is not updated, one updated from another set's count
// and a rebuilt palette that forgets the counts.
TEST_F(CardPaletteTest, TheBadgeCountsTheCardsOfItsKindOnTheField) {
    FieldBoard* board = editor->getSession().rooms().board.get();
    const Vec2 somewhere(700, board->model().rowSlot(3).position.y);
    CardSprite* first = board->addCard(0, 2, somewhere, 255);
    board->addCard(0, 2, somewhere + Vec2(0, -300), 255);
    EXPECT_EQ(palette->countLabel(2)->getString(), "2");
    board->addCard(1, 2, somewhere + Vec2(0, -600), 255);
    EXPECT_EQ(palette->countLabel(2)->getString(), "2");

    board->removeCard(first);
    EXPECT_EQ(palette->countLabel(2)->getString(), "1");
    palette->selectCardSet(1);
    EXPECT_EQ(palette->countLabel(2)->getString(), "1");
    palette->selectCardSet(0);
    EXPECT_EQ(palette->countLabel(2)->getString(), "1");
    EXPECT_EQ(palette->countLabel(3)->getString(), "0");
}

// Catches a wrong sign or step, and a wheel that sets the offset without the
// clamp (past the last card).
TEST_F(CardPaletteTest, TheWheelTurnedTowardsTheUserShowsLaterCardsHalfARowAStep) {
    const float top = paletteOffset();
    palette->scrollByWheel(1);
    EXPECT_EQ(paletteOffset(), top + 65);
    palette->scrollByWheel(1000);
    EXPECT_EQ(paletteOffset(), 0);
}

} // namespace
