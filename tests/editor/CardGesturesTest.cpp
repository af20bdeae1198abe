// Touches on cards lying on the field, on the headless engine's virtual clock:
// lifting, block lifting, dragging onto rows, dropping into the trash, the tap
// that opens a number card's editor, and edge scrolling.

#include "editor/gestures/CardGestures.h"

#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/cards/NumberEditor.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "engine/2d/Sprite.h"
#include "engine/base/Scheduler.h"
#include "engine/base/Value.h"
#include "tests/editor/CardGesturesFixture.h"
#include "tests/saves/SaveScreenFixture.h"
#include "widgets/FieldScrollView.h"

#include <cmath>
#include <gtest/gtest.h>
#include <optional>

using engine::ValueVector;
using engine::Vec2;

namespace {

// Catches a wrong lift or block hold (the block comes 1.2 s after the
// press), a block that also takes the card above, and a lift that leaves
// the trash hidden.
TEST_F(CardGesturesTest, AStillPressLiftsTheCardAfter50msAndTheBlockBelowItAfter1200ms) {
    openWithThreeRowCards();
    CardSprite* above = node(0);
    CardSprite* pressed = node(1);
    CardSprite* below = node(2);
    driver->touchBegan(Vec2(kRowCardX, rowScreenY(1)));
    driver->advance(0.03f);
    EXPECT_FALSE(editor->getSession().rooms().gestures->isDragging());
    EXPECT_EQ(pressed->getOpacity(), 255);

    driver->advance(0.05f); // 0.08 s
    EXPECT_TRUE(editor->getSession().rooms().gestures->isDragging());
    EXPECT_EQ(pressed->getOpacity(), CardGestures::kLiftedOpacity);
    EXPECT_EQ(below->getOpacity(), 255);
    driver->advance(0.1f);
    EXPECT_GT(editor->getSession().rooms().trash->getSprite()->getOpacity(), 0);

    driver->advance(0.99f); // 1.17 s
    EXPECT_EQ(pressed->getOpacity(), CardGestures::kLiftedOpacity);
    EXPECT_EQ(below->getOpacity(), 255);
    driver->advance(0.05f); // 1.22 s
    EXPECT_EQ(pressed->getOpacity(), CardGestures::kBlockOpacity);
    EXPECT_EQ(below->getOpacity(), CardGestures::kBlockOpacity);
    EXPECT_EQ(above->getOpacity(), 255);
    EXPECT_EQ(editor->getSession().rooms().board->model().dragGroup().size(), 2u);
}

// Catches a move that does not disarm the lift (the card would lift at
// 0.05 s) and a card listener that swallows from the press on (the field
// would not scroll).
TEST_F(CardGesturesTest, APressThatMovesBeforeTheLiftScrollsTheFieldAndNeverLifts) {
    openWith({{0, 0, kRowCardX, rowScreenY(0)}});
    CardSprite* card = node(0);
    const Vec2 contentBefore = card->getPosition();
    const float before = offsetY();
    const Vec2 start(kRowCardX, rowScreenY(0));
    driver->touchBegan(start);
    driver->step();
    driver->touchMoved(start + Vec2(0, 1));
    driver->advance(0.5f);
    EXPECT_FALSE(editor->getSession().rooms().gestures->isDragging());
    EXPECT_EQ(card->getOpacity(), 255);
    EXPECT_EQ(editor->getSession().rooms().trash->getSprite()->getOpacity(), 0);

    slide(start + Vec2(0, 1), start + Vec2(0, 101));
    EXPECT_GT(offsetY(), before + 50);
    EXPECT_EQ(card->getPosition(), contentBefore);
    driver->touchEnded(start + Vec2(0, 101));
    driver->step();
}

// Catches a drag that leaves the block behind and a group whose other cards
// do not snap where they land.
TEST_F(CardGesturesTest, DraggingTheTopCardOfThreeAfterTheBlockLiftMovesAllThreeOntoThreeFreeRows) {
    openWithThreeRowCards();
    const int ids[] = {node(0)->modelId, node(1)->modelId, node(2)->modelId};
    // Out to the right, down three rows clear of the slots, and back in.
    const Vec2 start(kRowCardX, rowScreenY(0));
    const Vec2 aside = start + Vec2(100, 0);
    const Vec2 below = aside - Vec2(0, 390);
    const Vec2 end(kRowCardX, rowScreenY(3));
    driver->touchBegan(start);
    driver->advance(CardGestures::kBlockHoldTime + 0.05f);
    slide(start, aside);
    slide(aside, below);
    slide(below, end);
    driver->touchEnded(end);
    driver->step();

    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(cardOnRow(row), pavlune::FieldModel::kNoCard) << "row " << row;
        EXPECT_EQ(cardOnRow(row + 3), ids[row]) << "row " << row + 3;
    }
    EXPECT_EQ(node(0)->getOpacity(), 255);
    EXPECT_EQ(node(2)->getOpacity(), 255);
    EXPECT_TRUE(editor->getSession().rooms().board->model().dragGroup().empty());
}

// Catches a drop that tests only the card under the finger, and a drop that
// is not saved.
TEST_F(CardGesturesTest, ReleasingOverTheTrashRemovesEveryDraggedCardAndSaves) {
    openWithThreeRowCards();
    const Vec2 start(kRowCardX, rowScreenY(1));
    // Inside the doubled trash area, left of the picture itself.
    const Vec2 overTrash(840, 650);
    driver->touchBegan(start);
    driver->advance(CardGestures::kBlockHoldTime + 0.05f);
    slide(start, overTrash);
    EXPECT_TRUE(editor->getSession().rooms().gestures->isOverTrash());
    driver->touchEnded(overTrash);
    driver->step();

    EXPECT_EQ(editor->getSession().rooms().board->cardNodes().size(), 1u);
    const ValueVector saved = programFile();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(engine::valueForKey(saved[0].asValueMap(), "index").asInt(), 0);
    // The lid closes over the cards before the trash fades.
    EXPECT_EQ(editor->getSession().rooms().trash->getSprite()->getOpacity(), 255);
    driver->advance(0.6f);
    EXPECT_EQ(editor->getSession().rooms().trash->getSprite()->getOpacity(), 0);
}

// Deleting is deliberate: a lifted block of two goes only over the trash or
// over the palette inside the window; let go past any edge of the window it
// is back on its rows, where it was lifted, and the file is unchanged.
// Catches the palette test taken as "left of the palette's edge" (a slow
// drag past the window's left edge emptied a program) and a release outside
// dropping the cards wherever the finger left the window.
TEST_F(CardGesturesTest, CardsAreDeletedOnlyOverTheTrashOrThePaletteInsideTheWindow) {
    const struct {
        const char* name;
        Vec2 release;
        bool deleted;
    } cases[] = {
        {"over the trash", {840, 650}, true},
        {"over the palette", {120, 300}, true},
        {"past the left edge", {-40, 300}, false},
        {"past the left edge, far", {-600, 300}, false},
        {"past the top edge, above the palette", {120, 790}, false},
        {"past the right edge", {1060, 300}, false},
        {"past the bottom edge", {600, -30}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openWithThreeRowCards();
        const int ids[] = {node(0)->modelId, node(1)->modelId, node(2)->modelId};
        const float lifted[] = {screenY(node(0)), screenY(node(1)), screenY(node(2))};
        const Vec2 start(kRowCardX, rowScreenY(1));
        driver->touchBegan(start);
        driver->advance(CardGestures::kBlockHoldTime + 0.05f); // the block: rows 2 and 3
        ASSERT_EQ(editor->getSession().rooms().board->model().dragGroup().size(), 2u);
        slide(start, c.release);
        driver->touchEnded(c.release);
        driver->step();

        const ValueVector saved = programFile();
        EXPECT_EQ(cardOnRow(0), ids[0]);
        if (c.deleted) {
            EXPECT_EQ(editor->getSession().rooms().board->cardNodes().size(), 1u);
            EXPECT_EQ(saved.size(), 1u);
            continue;
        }
        ASSERT_EQ(editor->getSession().rooms().board->cardNodes().size(), 3u);
        EXPECT_EQ(saved.size(), 3u);
        EXPECT_EQ(cardOnRow(1), ids[1]);
        EXPECT_EQ(cardOnRow(2), ids[2]);
        // Where they were lifted, under the card above them (the field may
        // have scrolled at the edge).
        EXPECT_FLOAT_EQ(screenY(node(1)) - screenY(node(0)), lifted[1] - lifted[0]);
        EXPECT_FLOAT_EQ(screenY(node(2)) - screenY(node(0)), lifted[2] - lifted[0]);
        EXPECT_FLOAT_EQ(editor->getSession().rooms().board->viewport().toScreen(node(1)->getPosition()).x,
                        kRowCardX);
        EXPECT_EQ(node(1)->getOpacity(), 255);
        EXPECT_TRUE(editor->getSession().rooms().board->model().dragGroup().empty());
    }
}

// A loose card grabbed by its left part and let go with the finger over a
// free row's slot takes that row, though its left edge is far from the slot
// (the snap while dragging looks only at the edge). Catches a drop that
// ignores the finger, and one that takes a row already taken.
TEST_F(CardGesturesTest, ALooseCardLetGoWithTheFingerOverAFreeRowTakesIt) {
    const struct {
        const char* name;
        int row;
        bool placed;
    } cases[] = {{"free row", 3, true}, {"taken row", 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openWith({{0, 0, kRowCardX, rowScreenY(0)}, {0, 1, kLooseX, rowScreenY(2)}});
        const int loose = node(1)->modelId;
        ASSERT_EQ(cardOnRow(2), pavlune::FieldModel::kNoCard);
        // 25 units inside the card's left edge.
        const Vec2 grab(kLooseX - 75, rowScreenY(2));
        const Vec2 over(750, rowScreenY(c.row));
        driver->touchBegan(grab);
        driver->advance(0.1f);
        slide(grab, over);
        ASSERT_EQ(cardOnRow(c.row), c.placed ? pavlune::FieldModel::kNoCard : node(0)->modelId)
            << "not snapped by its edge while dragged";
        driver->touchEnded(over);
        driver->step();
        EXPECT_EQ(cardOnRow(c.row), c.placed ? loose : node(0)->modelId);
        if (c.placed) {
            const Vec2 shown =
                editor->getSession().rooms().board->viewport().toScreen(node(1)->getPosition());
            EXPECT_FLOAT_EQ(shown.x, kRowCardX);
            EXPECT_NEAR(shown.y, rowScreenY(c.row), 0.01);
        } else {
            EXPECT_FALSE(
                editor->getSession().rooms().board->model().findCard(loose)->connectors[0].isAttached());
        }
    }
}

// A loose card let go over the run controls, or on a taken row (from where
// it slides beside the column), lies wholly on the field and clear of every
// control drawn over it and of the cards on rows, at each zoom. The
// controls' places come from their pictures' sizes: the run panel 150 x 400
// at the right edge, centred; the back button 80 x 50, 10 from the top right
// corner; redo and undo 60 x 50 left of it, 28 and 8 apart. Catches the clamp
// that kept only the card's centre on the field (at zoom 0.5 the card ended
// wholly under the panel, and taps on it went to play), a list of controls
// without the panel, and a slide beside the column that ends under the panel
// (60 % of the card was hidden).
TEST_F(CardGesturesTest, ALooseCardLetGoLiesClearOfEveryControlAndRowCard) {
    const engine::Rect controls[] = {
        {874, 184, 150, 400}, // run panel
        {934, 708, 80, 50},   // back
        {846, 708, 60, 50},   // redo
        {778, 708, 60, 50},   // undo
    };
    const auto apart = [](const engine::Rect& a, const engine::Rect& b) {
        return a.getMaxX() <= b.getMinX() || b.getMaxX() <= a.getMinX() || a.getMaxY() <= b.getMinY() ||
               b.getMaxY() <= a.getMinY();
    };
    // The editor zooms from 0.5 to 1 (it never enlarges the field).
    for (const float zoom : {0.5f, 0.75f, 1.0f}) {
        for (const bool onTakenRow : {false, true}) {
            SCOPED_TRACE(std::to_string(zoom) + (onTakenRow ? " on a taken row" : " over the panel"));
            openWith({{0, 0, kRowCardX, rowScreenY(0)},
                      {0, 0, kRowCardX, rowScreenY(1)},
                      {0, 0, kRowCardX, rowScreenY(2)},
                      {0, 1, kLooseX, rowScreenY(1)}});
            FieldScrollView* view = editor->getSession().rooms().fieldView;
            view->setZoomScale(zoom);
            ASSERT_EQ(view->getZoomScale(), zoom);
            view->setContentOffset(Vec2(560, 384) - node(1)->getPosition() * zoom);
            driver->step();
            const pavlune::FieldViewport shown = editor->getSession().rooms().board->viewport();
            const Vec2 grab = shown.toScreen(node(3)->getPosition());
            ASSERT_GT(grab.x, 300);
            ASSERT_LT(grab.x, 870);
            const Vec2 release = onTakenRow ? shown.toScreen(node(1)->getPosition()) : Vec2(950, 384);
            driver->touchBegan(grab);
            driver->advance(0.1f);
            slide(grab, release);
            driver->touchEnded(release);
            driver->step();

            ASSERT_EQ(cardOnRow(1), node(1)->modelId);
            const pavlune::FieldViewport now = editor->getSession().rooms().board->viewport();
            const auto area = [&](const CardSprite* card) {
                const Vec2 centre = now.toScreen(card->getPosition());
                return engine::Rect(centre.x - 100 * zoom, centre.y - 60 * zoom, 200 * zoom, 120 * zoom);
            };
            const engine::Rect loose = area(node(3));
            EXPECT_GE(loose.getMinX(), 275);
            EXPECT_LE(loose.getMaxX(), 1024);
            EXPECT_GE(loose.getMinY(), 0);
            EXPECT_LE(loose.getMaxY(), 768);
            for (const engine::Rect& control : controls) {
                EXPECT_TRUE(apart(loose, control))
                    << "covers (" << control.getMinX() << ", " << control.getMinY() << ")";
            }
            for (std::size_t row = 0; row < 3; ++row) {
                EXPECT_TRUE(apart(loose, area(node(row)))) << "covers the card of row " << row + 1;
            }
        }
    }
}

// One row per rule of the tap: catches a missing duration, travel or
// turning test, and a duration measured in whole seconds (a quick tap across
// a second's boundary would do nothing).
TEST_F(CardGesturesTest, ATapOpensTheNumberEditorOnlyWhenShortStillAndOnACardAtRest) {
    struct Case {
        const char* name;
        float hold;
        float travel;
        bool turning;
        // Where in the clock's second the press falls.
        float secondFraction;
        bool opens;
    };
    const Case cases[] = {
        {"quick tap", 0.1f, 0, false, 0.2f, true},    {"across a second", 0.2f, 0, false, 0.9f, true},
        {"held", 0.45f, 0, false, 0.2f, false},       {"moved", 0.1f, 12, false, 0.2f, false},
        {"turning over", 0.1f, 0, true, 0.2f, false},
    };
    for (const Case& c : cases) {
        openWith({{kNumberCardSet, kNumberCardIndex, kRowCardX, rowScreenY(0)}});
        CardSprite* card = node(0);
        const double now = engine::Director::getInstance()->getScheduler()->getTotalTime();
        const double wait = std::ceil(now) + c.secondFraction - now;
        driver->advance(static_cast<float>(wait < 0.05 ? wait + 1 : wait));
        if (c.turning) {
            ASSERT_TRUE(card->turnOver()) << c.name;
        }
        const Vec2 start(kRowCardX, rowScreenY(0));
        driver->touchBegan(start);
        if (c.travel > 0) {
            driver->touchMoved(start + Vec2(c.travel, 0));
        }
        driver->advance(c.hold);
        driver->touchEnded(start + Vec2(c.travel, 0));
        driver->step();
        EXPECT_EQ(editor->getSession().rooms().numberEditor != nullptr, c.opens) << c.name;
    }
}

// Catches a wrong speed (5 a frame at the edge, one more per 5 units beyond)
// and a card that does not move with the content.
TEST_F(CardGesturesTest, ACardWhoseLowerReferenceLineIsAtScreenY3ScrollsTheField5Point4UnitsAFrame) {
    // Lifted well above the band; the lower reference line is 30 below the centre.
    openScrolledWith({0, 0, kLooseX, 200});
    CardSprite* card = node(0);
    const Vec2 start(kLooseX, 200);
    const Vec2 atEdge(kLooseX, 33);
    driver->touchBegan(start);
    driver->advance(0.1f);
    driver->touchMoved(atEdge);
    driver->step(0);
    ASSERT_NEAR(screenY(card), 33, 1e-3);
    for (int frame = 0; frame < 2; ++frame) {
        const float before = offsetY();
        driver->step();
        EXPECT_NEAR(offsetY() - before, 5.4f, 1e-3) << "frame " << frame;
        EXPECT_NEAR(screenY(card), 33, 1e-3) << "frame " << frame;
    }
    driver->touchEnded(atEdge);
    driver->step();
    EXPECT_FALSE(editor->getSession().rooms().gestures->isAutoScrolling());
}

// Catches edge scrolling that acts at once for a card picked up in the band,
// and one that never arms afterwards.
TEST_F(CardGesturesTest, ADragThatBeginsInTheBottomBandScrollsOnlyAfterTheCardHasLeftIt) {
    // Lower reference line at -10: in the band.
    openScrolledWith({0, 0, kLooseX, 20});
    const float before = offsetY();
    const Vec2 start(kLooseX, 20);
    driver->touchBegan(start);
    driver->advance(0.3f);
    EXPECT_TRUE(editor->getSession().rooms().gestures->isDragging());
    EXPECT_EQ(offsetY(), before);

    driver->touchMoved(start + Vec2(0, 50)); // lower line at 40: out of the band
    driver->step();
    EXPECT_EQ(offsetY(), before);
    const Vec2 inBand(kLooseX, 20);
    driver->touchMoved(inBand);
    driver->step();
    EXPECT_NEAR(offsetY() - before, 8, 1e-3); // lower line at -10: (-10 - 5) / 5 - 5 = -8
    driver->touchEnded(inBand);
    driver->step();
}

// Catches a lifted card that lets the field scroll under it, and a field
// view left holding the card's touch (the next finger would be taken for a
// pinch and the field would not scroll).
TEST_F(CardGesturesTest, AfterACardDragAPlainDragOnTheFieldScrollsItAgain) {
    // Scrolled down a little, so that the field could also scroll back up.
    openScrolledWith({0, 0, kLooseX, 400});
    const float offset = offsetY();
    const Vec2 start(kLooseX, 400);
    driver->touchBegan(start);
    driver->advance(0.1f);
    slide(start, start - Vec2(0, 100));
    EXPECT_EQ(offsetY(), offset);
    EXPECT_NEAR(screenY(node(0)), 300, 1e-3);
    driver->touchEnded(start - Vec2(0, 100));
    driver->advance(0.1f);

    // Clear of the cards and the row buttons.
    const Vec2 field(350, 300);
    driver->touchBegan(field);
    driver->step();
    slide(field, field - Vec2(0, 100));
    driver->touchEnded(field - Vec2(0, 100));
    driver->step();
    EXPECT_LT(offsetY(), offset - 50);
}

// Catches a press left over from a card that went into the trash while held
// (a row edit by another finger): its touch never ends, and no field card
// could be pressed again.
TEST_F(CardGesturesTest, ACardRemovedWhileHeldDoesNotBlockTheNextPress) {
    openWith({{0, 0, kRowCardX, rowScreenY(0)}, {0, 1, kRowCardX, rowScreenY(1)}});
    CardSprite* second = node(1);
    driver->touchBegan(Vec2(kRowCardX, rowScreenY(0)));
    driver->step();
    editor->getSession().rooms().board->deleteRow(0);
    driver->touchEnded(Vec2(kRowCardX, rowScreenY(0)));
    driver->advance(0.5f);

    // The second card slid up to row 0.
    driver->touchBegan(Vec2(kRowCardX, rowScreenY(0)));
    driver->advance(0.1f);
    EXPECT_EQ(editor->getSession().rooms().gestures->getPressedCard(), second);
    EXPECT_TRUE(editor->getSession().rooms().gestures->isDragging());
    driver->touchEnded(Vec2(kRowCardX, rowScreenY(0)));
    driver->step();
}

} // namespace
