// On the real editor screen: what the field shows is what the rows hold
// after a drop on a taken row, an undo and redo and a reopening; popups
// hold everything beneath them; small gesture faults stay mended.
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/cards/NumberEditor.h"
#include "editor/controls/BottomBar.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "editor/gestures/CardGestures.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/link/BoardLink.h"
#include "editor/palette/DialectToggle.h"
#include "editor/panel/ProgramPanel.h"
#include "engine/2d/Sprite.h"
#include "engine/base/Value.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/saves/SaveScreenFixture.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using engine::Value;
using engine::ValueMap;
using engine::ValueVector;
using engine::Vec2;

namespace {

// A loose card right of the rows, clear of every row card (the editor moves
// it clear of the run panel when it opens the program).
constexpr float kLooseX = 880;
// The run panel (150 x 400 at the right edge, centred) and the back button's
// tab (110 x 70 in the top right corner), on the screen.
const engine::Rect kRunPanel(874, 184, 150, 400);
const engine::Rect kBackTab(914, 698, 110, 70);

class FieldShowsProgramTest : public SaveScreenTest {
protected:
    struct Card {
        int set;
        int index;
        float screenX;
        float screenY;
        const char* value = "";
    };

    FieldScene* openWith(const std::vector<Card>& cards) {
        record = addPrograms(1).front();
        ValueVector elements;
        int z = 1;
        for (const Card& card : cards) {
            elements.push_back(
                Value(ValueMap{{"tab", Value(card.set)},
                               {"index", Value(card.index)},
                               {"x", Value(static_cast<int>(std::lround(card.screenX)))},
                               {"y", Value(static_cast<int>(std::lround(card.screenY + kStartOffsetY)))},
                               {"zorder", Value(z++)},
                               {"value", Value(card.value)}}));
        }
        EXPECT_EQ(SaveDataManager::getInstance()->saveProgram(record, elements),
                  SaveDataManager::SaveResult::Updated);
        return reopen();
    }
    FieldScene* reopen() {
        editor = made(FieldScene::create(record));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
        return editor;
    }
    // Presses a card, waits for the lift and carries it to `to`, a frame per step.
    void carry(Vec2 from, Vec2 to) {
        driver->touchBegan(from);
        driver->advance(0.1f);
        const int steps = std::max(1, static_cast<int>(std::ceil(from.distance(to) / 20)));
        for (int i = 1; i <= steps; ++i) {
            driver->touchMoved(from + (to - from) * (static_cast<float>(i) / static_cast<float>(steps)));
            driver->step();
        }
    }
    std::vector<std::pair<int, int>> rows(int count) const {
        std::vector<std::pair<int, int>> kinds;
        const pavlune::FieldModel& model = editor->getSession().rooms().board->model();
        for (int row = 0; row < count; ++row) {
            const pavlune::PlacedCard* card = model.findCard(model.cardOnRow(row));
            kinds.emplace_back(card ? card->cardSet : -1, card ? card->cardIndex : -1);
        }
        return kinds;
    }
    CardSprite* node(std::size_t creationIndex) const {
        return editor->getSession().rooms().board->cardNodes().at(creationIndex);
    }
    static Vec2 screenOf(const engine::Node* node) {
        const engine::Rect box = HitTest::worldBoundingBox(node);
        return Vec2(box.getMidX(), box.getMidY());
    }

    FieldScene* editor = nullptr;
    SaveData* record = nullptr;
};

// Catches a card left loose over the row card it hides (drawn above it while
// the board runs the other), one slid beside the column under the run panel
// or the back button's tab, and undo, redo or reopening giving the row to the
// dropped card or moving it.
TEST_F(FieldShowsProgramTest, ACardDroppedOnATakenRowStaysBesideItAndTheRowKeepsItsCard) {
    openWith({{0, 2, kRowCardX, rowScreenY(1)}, {0, 1, kLooseX, rowScreenY(3)}});
    const std::vector<std::pair<int, int>> program{{-1, -1}, {0, 2}, {-1, -1}};
    driver->step();
    const engine::Color4B rowCardPixel = driver->pixelAt(Vec2(kRowCardX - 60, rowScreenY(1) + 30));

    carry(screenOf(node(1)), Vec2(kRowCardX, rowScreenY(1)));
    driver->touchEnded(Vec2(kRowCardX, rowScreenY(1)));
    driver->advance(0.3f);

    EXPECT_EQ(rows(3), program);
    // Beside the row it was dropped on it would lie under the run panel, and
    // just above the panel under the back button's tab: it lies clear of both.
    const engine::Rect dropped = HitTest::worldBoundingBox(node(1));
    for (const engine::Rect& kept : {kRunPanel, kBackTab, HitTest::worldBoundingBox(node(0))}) {
        EXPECT_TRUE(dropped.getMaxX() <= kept.getMinX() || kept.getMaxX() <= dropped.getMinX() ||
                    dropped.getMaxY() <= kept.getMinY() || kept.getMaxY() <= dropped.getMinY())
            << "covers (" << kept.getMinX() << ", " << kept.getMinY() << ")";
    }
    const Vec2 settled = node(1)->getPosition();
    // The row card is seen as before, not the dropped one.
    EXPECT_EQ(driver->pixelAt(Vec2(kRowCardX - 60, rowScreenY(1) + 30)), rowCardPixel);

    editor->getSession().rooms().undoRedo->undo();
    driver->step();
    editor->getSession().rooms().undoRedo->redo();
    driver->step();
    EXPECT_EQ(rows(3), program);
    reopen();
    EXPECT_EQ(rows(3), program);
    EXPECT_NEAR(node(1)->getPositionX(), settled.x, 1) << "stored truncated";
    EXPECT_NEAR(node(1)->getPositionY(), settled.y, 1) << "stored truncated";
}

// Catches a taken row whose slot keeps the empty slot's colour: the strip of
// slot right of the card (card edge 752.5, slot edge 777.5) is dark only there.
TEST_F(FieldShowsProgramTest, ATakenRowsSlotIsDrawnDarkAndAFreedOneLightAgain) {
    openWith({{0, 2, kRowCardX, rowScreenY(1)}});
    driver->step();
    const Vec2 takenStrip(765, rowScreenY(1));
    const Vec2 freeStrip(765, rowScreenY(2));
    const auto brightness = [](engine::Color4B c) { return c.r + c.g + c.b; };
    const int taken = brightness(driver->pixelAt(takenStrip));
    const int free = brightness(driver->pixelAt(freeStrip));
    EXPECT_GT(free, 3 * 200) << "an empty slot is light";
    EXPECT_LT(taken, 3 * 64) << "a taken slot is dark";

    editor->getSession().rooms().board->deleteRow(1);
    driver->advance(0.5f);
    EXPECT_GT(brightness(driver->pixelAt(takenStrip)), 3 * 200);
}

// Catches a cancelled drag over the trash that deletes the cards, or leaves
// them tinted, translucent or off their rows.
TEST_F(FieldShowsProgramTest, ACancelledDragOverTheTrashPutsTheCardsBack) {
    openWith({{0, 0, kRowCardX, rowScreenY(0)}, {0, 1, kRowCardX, rowScreenY(1)}});
    const Vec2 trash = screenOf(editor->getSession().rooms().trash->getSprite());
    const ValueVector before = editor->getSession().rooms().board->save();
    driver->touchBegan(Vec2(kRowCardX, rowScreenY(0)));
    driver->advance(CardGestures::kBlockHoldTime + 0.05f); // the block of both cards
    ASSERT_EQ(editor->getSession().rooms().board->model().dragGroup().size(), 2u);
    for (int i = 1; i <= 10; ++i) {
        driver->touchMoved(Vec2(kRowCardX, rowScreenY(0)) +
                           (trash - Vec2(kRowCardX, rowScreenY(0))) * (i / 10.0f));
        driver->step();
    }
    ASSERT_TRUE(editor->getSession().rooms().gestures->isOverTrash());
    driver->windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    driver->advance(0.5f);

    EXPECT_EQ(rows(2), (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}}));
    EXPECT_EQ(editor->getSession().rooms().board->save(), before);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(node(k)->getColor(), engine::Color3B::WHITE);
        EXPECT_EQ(node(k)->getOpacity(), 255);
    }
}

// Catches the trash's tint given at the press, before any lift.
TEST_F(FieldShowsProgramTest, AQuickTapOnACardInTheTrashAreaLeavesItUntinted) {
    openWith({{0, 0, 880, 560}});
    const Vec2 at(880, 560);
    ASSERT_TRUE(editor->getSession().rooms().trash->contains(at));
    driver->touchBegan(at);
    driver->step();
    driver->touchEnded(at);
    driver->advance(0.2f);
    EXPECT_EQ(node(0)->getColor(), engine::Color3B::WHITE);
}

// Catches the enlarged target shifted off the button at zoom 0.5.
TEST_F(FieldShowsProgramTest, ATapOnTheMiddleOfARowButtonCountsAtEveryZoom) {
    for (const float zoom : {1.0f, 0.5f}) {
        SCOPED_TRACE(zoom);
        openWith({{0, 0, kRowCardX, rowScreenY(0)}});
        editor->getSession().rooms().fieldView->setZoomScale(zoom);
        driver->step();
        const Vec2 middle = screenOf(editor->getSession().rooms().board->deleteButtons().at(0));
        ASSERT_GT(middle.y, 0);
        driver->touchBegan(middle);
        driver->step();
        driver->touchEnded(middle);
        driver->advance(0.5f);
        EXPECT_EQ(editor->getSession().rooms().board->model().placedCards().size(), 0u);
    }
}

// Catches presses passing through the blank part of the open bottom bar to
// the card behind it.
TEST_F(FieldShowsProgramTest, TheOpenBottomBarTakesPressesOnItsWholeArea) {
    openWith({{0, 0, 700, 40}});
    editor->getSession().rooms().bottomBar->open();
    driver->advance(0.5f);
    driver->touchBegan(Vec2(700, 40));
    driver->advance(0.2f);
    EXPECT_FALSE(editor->getSession().rooms().gestures->isDragging());
    EXPECT_EQ(editor->getSession().rooms().gestures->getPressedCard(), nullptr);
    driver->touchEnded(Vec2(700, 40));
    driver->step();
}

// Catches a card dragged back onto the palette left lying over the row
// buttons, and one let go above the screen left under the back button.
TEST_F(FieldShowsProgramTest, CardsNeverEndWhereTheyCannotBeGrabbed) {
    openWith({{0, 0, kLooseX, rowScreenY(3)}, {0, 1, kLooseX, rowScreenY(4)}});
    carry(screenOf(node(0)), Vec2(150, rowScreenY(3)));
    driver->touchEnded(Vec2(150, rowScreenY(3)));
    driver->advance(0.5f);
    EXPECT_EQ(editor->getSession().rooms().board->model().placedCards().size(), 1u);

    carry(screenOf(node(0)), Vec2(960, 790));
    driver->touchEnded(Vec2(960, 790));
    driver->advance(0.5f);
    const Vec2 centre = screenOf(node(0));
    EXPECT_LT(centre.y, 768);
    EXPECT_FALSE(HitTest::worldBoundingBox(editor->getSession().rooms().runControls->getBackButton())
                     .containsPoint(centre));
    EXPECT_FALSE(HitTest::worldBoundingBox(editor->getSession().rooms().undoRedo->getUndoButton())
                     .containsPoint(centre));
}

} // namespace

namespace {

// Catches numbers from a file reaching the board ("-5" as WAIT -300, "1e9"
// in exponent form, "0x10" as 960) or shown as if they were right.
TEST_F(FieldShowsProgramTest, WrongNumbersFromTheFileAreMarkedAndPlayRefusesThem) {
    for (const char* wrong : {"-5", "1e9", "0x10"}) {
        SCOPED_TRACE(wrong);
        openWith({{2, 2, kRowCardX, rowScreenY(0), "3"}, {2, 2, kRowCardX, rowScreenY(3), wrong}});
        auto* card = static_cast<InputCardSprite*>(node(1));
        EXPECT_TRUE(card->isValueWrong());
        EXPECT_FALSE(static_cast<InputCardSprite*>(node(0))->isValueWrong());
        EXPECT_FALSE(editor->playIfNumbersFit());
        driver->step();
        EXPECT_EQ(editor->getSession().rooms().link->getSendingOverlay(), nullptr);
        // Kept as written for the file.
        editor->saveField();
        EXPECT_EQ(editor->getSession().rooms().board->save().at(1).asValueMap().at("value").asString(),
                  wrong);
    }
}

} // namespace
