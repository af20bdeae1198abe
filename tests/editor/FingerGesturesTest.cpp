// Fingers on the editor, injected as SDL finger events through the engine on
// the virtual clock, each first finger followed by the mouse event SDL makes
// up from it (which the engine must ignore): tap and drag thresholds, the
// block's hold, a second finger during a drag, the palette's flick and the
// buttons' touch areas. The pinch is FieldScrollView's (its own tests; the
// page's touch test pinches the editor to its limits).

#include "editor/cards/NumberEditor.h"
#include "editor/controls/BottomBar.h"
#include "editor/controls/RunControls.h"
#include "editor/gestures/CardGestures.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/palette/CardPalette.h"
#include "engine/2d/Sprite.h"
#include "engine/base/Scheduler.h"
#include "tests/editor/CardGesturesFixture.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>

using engine::Vec2;

namespace {

class FingerGesturesTest : public CardGesturesTest {
protected:
    // Finger 1 as SDL reports a touch screen: the finger's event, then the
    // left-button mouse event SDL synthesises from it. Other fingers come alone.
    void down(const Vec2& at, SDL_FingerID finger = 1) {
        driver->fingerDown(finger, at);
        if (finger == 1) {
            driver->mouseFromFinger(SDL_MOUSEBUTTONDOWN, at);
        }
    }
    void moveTo(const Vec2& at, SDL_FingerID finger = 1) {
        driver->fingerMoved(finger, at);
        if (finger == 1) {
            driver->mouseFromFinger(SDL_MOUSEMOTION, at);
        }
    }
    void up(const Vec2& at, SDL_FingerID finger = 1) {
        driver->fingerUp(finger, at);
        if (finger == 1) {
            driver->mouseFromFinger(SDL_MOUSEBUTTONUP, at);
        }
    }
    // A finger sliding from `from` to `to`, a frame per step of about 10 units.
    void fingerSlide(const Vec2& from, const Vec2& to, SDL_FingerID finger = 1) {
        const int steps = std::max(1, static_cast<int>(std::ceil(from.distance(to) / 10)));
        for (int i = 1; i <= steps; ++i) {
            moveTo(from + (to - from) * (static_cast<float>(i) / static_cast<float>(steps)), finger);
            driver->step();
        }
    }
    Vec2 screenOf(const CardSprite* card) const {
        return editor->getSession().rooms().board->viewport().toScreen(card->getPosition());
    }
    FieldScrollView* field() const { return editor->getSession().rooms().fieldView; }
    CardGestures& gestures() const { return *editor->getSession().rooms().gestures; }
};

// One row per threshold, with a loose number card so that a drag moves it
// freely. Catches a finger held to the mouse's 10 units (a wobble would lose
// the tap), a mouse given the finger's slop, a slop measured per step instead
// of from the press, a drag that starts the card from the slop's edge (the
// card would lag 20 units behind the finger), and a tap time not lengthened
// for fingers.
TEST_F(FingerGesturesTest, AFingerWobbleStaysATapAndOnlyADragPastTheSlopMovesTheCard) {
    struct Case {
        const char* name;
        bool finger;
        float travel;
        float hold;
        bool opens;
        bool moves;
    };
    const Case cases[] = {
        {"finger still", true, 0, 0.1f, true, false},
        {"finger wobbles 15 in steps of 5", true, 15, 0.1f, true, false},
        {"finger held half a second", true, 0, 0.5f, true, false},
        {"finger held 0.7 s", true, 0, 0.7f, false, false},
        {"finger drags 40", true, 40, 0.1f, false, true},
        {"mouse moves 15", false, 15, 0.1f, false, true},
        {"mouse held half a second", false, 0, 0.5f, false, false},
    };
    for (const Case& c : cases) {
        openWith({{kNumberCardSet, kNumberCardIndex, kLooseX, rowScreenY(2)}});
        CardSprite* card = node(0);
        const Vec2 start = screenOf(card);
        c.finger ? down(start) : driver->touchBegan(start);
        driver->advance(0.06f); // lifted
        Vec2 at = start;
        for (float went = 5; went <= c.travel; went += 5) {
            at = start + Vec2(went, 0);
            c.finger ? moveTo(at) : driver->touchMoved(at);
        }
        if (c.moves && c.finger) {
            // The card lies under the finger, as it lay when pressed.
            EXPECT_NEAR(screenOf(card).x, at.x, 0.75f) << c.name;
        } else if (c.moves) {
            EXPECT_GT(screenOf(card).x, start.x + 5) << c.name;
        } else {
            EXPECT_EQ(screenOf(card), start) << c.name;
        }
        driver->advance(c.hold - 0.06f);
        c.finger ? up(at) : driver->touchEnded(at);
        driver->step();
        EXPECT_EQ(editor->getSession().rooms().numberEditor != nullptr, c.opens) << c.name;
        EXPECT_FALSE(gestures().getPressedCard()) << c.name;
    }
}

// Catches the old 0.45 s block lift, a hold shown all at once or not at all
// (the lower card lights up after the upper one), a drag before the hold
// completes that still takes the block, and lights left on after it.
TEST_F(FingerGesturesTest, ABlockLiftsOnlyAfterAHeldSecondWhileTheCardsBelowLightUpOneByOne) {
    struct Case {
        const char* name;
        bool finger;
        // When the finger leaves; 0: never, the hold completes.
        float dragAt;
        std::size_t dragged;
    };
    const Case cases[] = {
        {"finger held", true, 0, 3},
        {"mouse held", false, 0, 3},
        {"finger drags at 0.9 s", true, 0.9f, 1},
        {"mouse drags at 0.9 s", false, 0.9f, 1},
    };
    for (const Case& c : cases) {
        openWithThreeRowCards();
        CardSprite* upper = node(1);
        CardSprite* lower = node(2);
        const Vec2 start(kRowCardX, rowScreenY(0));
        c.finger ? down(start) : driver->touchBegan(start);
        driver->advance(0.6f);
        EXPECT_EQ(upper->getColor(), CardGestures::kHoldTint) << c.name;
        EXPECT_EQ(lower->getColor(), engine::Color3B::WHITE) << c.name;
        // What the child sees: the lit card's picture is tinted.
        EXPECT_LT(driver->pixelAt(Vec2(kRowCardX - 80, rowScreenY(1) + 40)).b,
                  driver->pixelAt(Vec2(kRowCardX - 80, rowScreenY(2) + 40)).b - 40)
            << c.name;
        driver->advance(0.25f); // 0.85 s
        EXPECT_EQ(lower->getColor(), CardGestures::kHoldTint) << c.name;
        EXPECT_EQ(editor->getSession().rooms().board->model().dragGroup().size(), 1u) << c.name;
        if (c.dragAt > 0) {
            driver->advance(c.dragAt - 0.85f);
            const Vec2 aside = start + Vec2(60, 0);
            c.finger ? fingerSlide(start, aside) : slide(start, aside);
        }
        driver->advance(0.5f); // past 1.2 s
        EXPECT_EQ(editor->getSession().rooms().board->model().dragGroup().size(), c.dragged) << c.name;
        if (c.dragged == 1) {
            EXPECT_EQ(upper->getColor(), engine::Color3B::WHITE) << c.name;
            EXPECT_EQ(lower->getColor(), engine::Color3B::WHITE) << c.name;
            EXPECT_EQ(upper->getOpacity(), 255) << c.name;
        } else {
            EXPECT_EQ(lower->getOpacity(), CardGestures::kBlockOpacity) << c.name;
        }
        c.finger ? up(start) : driver->touchEnded(start);
        driver->step();
    }
}

// Catches a field that takes the second finger while a card is dragged: it
// would scroll or zoom, and the card would leave the first finger.
TEST_F(FingerGesturesTest, ASecondFingerDuringACardDragIsIgnoredAndTheCardStaysUnderTheFirst) {
    openWith({{0, 0, kLooseX, rowScreenY(2)}});
    CardSprite* card = node(0);
    const Vec2 start = screenOf(card);
    const float offset = offsetY();
    down(start);
    driver->advance(0.1f);
    fingerSlide(start, start + Vec2(-40, -60));
    down(Vec2(450, 400), 2);
    fingerSlide(Vec2(450, 400), Vec2(450, 200), 2); // would scroll the field
    down(Vec2(450, 200), 3);
    fingerSlide(Vec2(450, 200), Vec2(350, 200), 3); // with finger 2, would pinch
    EXPECT_EQ(offsetY(), offset);
    EXPECT_EQ(field()->getZoomScale(), 1.0f);
    EXPECT_TRUE(field()->touches.empty());
    const Vec2 end = start + Vec2(-40, -100);
    fingerSlide(start + Vec2(-40, -60), end);
    EXPECT_NEAR(screenOf(card).x, end.x, 0.75f);
    EXPECT_NEAR(screenOf(card).y, end.y, 0.75f);
    up(end);
    up(Vec2(450, 200), 2);
    up(Vec2(350, 200), 3);
    driver->step();
}

// Catches a palette that does not coast after a flick, or scrolls sideways
// with a slanting one.
TEST_F(FingerGesturesTest, ThePaletteCoastsAfterAFlickStraightUpAndDown) {
    openWith({});
    CardPalette* palette = editor->getSession().rooms().palette;
    palette->selectCardSet(2); // the longest set
    FieldScrollView* list = palette->getPaletteView();
    const Vec2 before = list->getContentOffset();
    // A quick upward flick on a card, leaning a little right.
    const Vec2 from(130, 250);
    down(from);
    for (int i = 1; i <= 6; ++i) {
        moveTo(from + Vec2(static_cast<float>(i), 25.0f * static_cast<float>(i)));
        driver->step();
    }
    EXPECT_FALSE(palette->getDrag().floatingCard());
    up(from + Vec2(6, 150));
    const float atRelease = list->getContentOffset().y;
    EXPECT_GT(atRelease, before.y + 100);
    driver->advance(0.5f);
    EXPECT_GT(list->getContentOffset().y, atRelease + 20);
    EXPECT_EQ(list->getContentOffset().x, before.x);
}

// Every button a child taps takes a finger anywhere in a fingertip's square
// (48 units) about its centre, however small its picture; the page buttons'
// squares reach into the list instead (the up button lies under the tabs).
// Catches a button hit only on its picture (a row button is 40, a page
// button 30 high) and a page button whose square the tabs cover.
TEST_F(FingerGesturesTest, EveryButtonTakesAFingerWithinAFingertipOfItsCentre) {
    openWithThreeRowCards();
    EditorRooms& rooms = editor->getSession().rooms();
    // Two edits and an undo, so that both history buttons take touches.
    for (int row = 2; row >= 1; --row) {
        driver->touchBegan(Vec2(kRowCardX, rowScreenY(row)));
        driver->advance(0.1f);
        slide(Vec2(kRowCardX, rowScreenY(row)), Vec2(kLooseX, rowScreenY(row)));
        driver->touchEnded(Vec2(kLooseX, rowScreenY(row)));
        driver->advance(0.1f);
    }
    driver->keyPress(SDLK_z, KMOD_CTRL);
    driver->advance(0.1f);
    // The longest set, so that from its middle both page buttons have a way to go.
    rooms.palette->selectCardSet(2);

    struct Button {
        std::string name;
        engine::Node* node;
        // Dims while pressed; the page buttons scroll at once instead.
        bool dims;
    };
    std::vector<Button> buttons = {
        {"undo", rooms.undoRedo->getUndoButton(), true},
        {"redo", rooms.undoRedo->getRedoButton(), true},
        {"play", rooms.runControls->getPlayButton(), true},
        {"stop", rooms.runControls->getStopButton(), true},
        {"back", rooms.runControls->getBackButton(), true},
        {"settings", rooms.bottomBar->getSettingsButton(), true},
        {"page up", rooms.palette->getUpButton(), false},
        {"page down", rooms.palette->getDownButton(), false},
        {"insert row 1", rooms.board->insertButtons().at(1), true},
        {"delete row 1", rooms.board->deleteButtons().at(1), true},
    };
    for (int set = 0; set < 3; ++set) {
        buttons.push_back({"tab " + std::to_string(set), rooms.palette->tabSprite(set), true});
    }
    FieldScrollView* list = rooms.palette->getPaletteView();
    const Vec2 corners[] = {{-23, -23}, {23, -23}, {-23, 23}, {23, 23}};
    for (const Button& button : buttons) {
        ASSERT_TRUE(button.node) << button.name;
        const engine::Rect box = HitTest::worldBoundingBox(button.node);
        Vec2 centre(box.getMidX(), box.getMidY());
        if (!button.dims) {
            const float inwards = HitTest::kMinTouchSide / 2 - box.size.height / 2;
            centre.y += box.getMidY() > 384 ? -inwards : inwards;
        }
        for (const Vec2& corner : corners) {
            list->setContentOffset(
                Vec2(0, (list->minContainerOffset().y + list->maxContainerOffset().y) / 2));
            const float listBefore = list->getContentOffset().y;
            // A finger cannot go past the window's edge.
            const Vec2 at(std::clamp(centre.x + corner.x, 0.0f, 1023.0f),
                          std::clamp(centre.y + corner.y, 0.0f, 767.0f));
            down(at);
            if (button.dims) {
                EXPECT_EQ(button.node->getOpacity(), design::kPressedOpacity)
                    << button.name << corner.x << corner.y;
            } else {
                EXPECT_NE(list->getContentOffset().y, listBefore) << button.name << corner.x << corner.y;
            }
            // Let go far away: pressed, but nothing done.
            moveTo(Vec2(400, 100));
            up(Vec2(400, 100));
            driver->step();
            EXPECT_EQ(button.node->getOpacity(), 255) << button.name;
        }
    }
}

} // namespace
