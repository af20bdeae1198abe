// Undo and redo on the editor screen, and the editor's keys, on the headless
// engine's virtual clock with the process-wide store.

#include "editor/EditorKeys.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/cards/NumberEditor.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "editor/gestures/CardGestures.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/palette/CardPalette.h"
#include "engine/2d/Sprite.h"
#include "engine/base/Value.h"
#include "engine/ui/EditBox.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/saves/SaveScreenFixture.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

using engine::ValueVector;
using engine::Vec2;

namespace {

class UndoRedoTest : public SaveScreenTest {
protected:
    // Rows 0 to 2: a plain card, a number card holding "1", another plain
    // card; and a loose card right of row 7, beyond the snap distance at zoom
    // 1.0 but within it at 0.5.
    void openEditor() {
        record = addPrograms(1).front();
        const struct {
            int set, index, row;
            const char* value;
            float shift;
        } cards[] = {{0, 0, 0, "", 0}, {2, 2, 1, "1", 0}, {0, 1, 2, "", 0}, {0, 2, 7, "", 90}};
        ValueVector elements;
        int z = 1;
        for (const auto& card : cards) {
            elements.push_back(rowCardElement(card.set, card.index, card.row, card.value, z++, card.shift));
        }
        ASSERT_NE(SaveDataManager::getInstance()->saveProgram(record, elements),
                  SaveDataManager::SaveResult::Failed);
        editor = made(FieldScene::create(record));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
    }

    std::string fileBytes() const {
        std::ifstream in(root() + record->path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    static Vec2 centreOf(const engine::Node* node) {
        const engine::Rect box = HitTest::worldBoundingBox(node);
        return Vec2(box.getMidX(), box.getMidY());
    }
    void slide(Vec2 from, Vec2 to) {
        const int steps = std::max(1, static_cast<int>(std::ceil(from.distance(to) / 20)));
        for (int i = 1; i <= steps; ++i) {
            driver->touchMoved(from + (to - from) * (static_cast<float>(i) / static_cast<float>(steps)));
            driver->step();
        }
    }
    // Press, hold, drag along `path`, release.
    void drag(const std::vector<Vec2>& path, float hold) {
        driver->touchBegan(path.front());
        driver->advance(hold);
        for (std::size_t i = 1; i < path.size(); ++i) {
            slide(path[i - 1], path[i]);
        }
        driver->touchEnded(path.back());
        driver->step();
    }
    void key(SDL_Keycode code, Uint16 modifiers = KMOD_NONE) {
        driver->keyPress(code, modifiers);
        driver->step();
    }
    UndoRedoControls* undoRedo() const { return editor->getSession().rooms().undoRedo.get(); }

    SaveData* record = nullptr;
    FieldScene* editor = nullptr;
};

// One row per kind of finished edit, each done through the screen as a user
// does it. Catches an edit path that records no step (undo would skip it or
// undo the one before), a restore that leaves the old cards or their use
// counts behind, snaps at the current zoom, or writes other bytes than the
// file had, and redo that does not give the edit back.
TEST_F(UndoRedoTest, UndoGivesBackTheFileOfBeforeEachKindOfEditAndRedoTheFileOfAfter) {
    const Vec2 row0(kRowCardX, rowScreenY(0));
    const struct {
        const char* name;
        std::function<void()> edit;
        // Done before the edit: its own step is not the one undone here.
        std::function<void()> prepare = nullptr;
    } cases[] = {
        {"card placed from the palette",
         [this] {
             const CardSprite* card = editor->getSession().rooms().palette->paletteCard(3);
             const Vec2 from = card->getParent()->convertToWorldSpace(card->getPosition());
             driver->touchBegan(from);
             for (int step = 1; step <= 30; ++step) {
                 driver->touchMoved(from + (Vec2(632, rowScreenY(4) + 15) - from) * (step / 30.0f));
             }
             driver->touchEnded(Vec2(632, rowScreenY(4) + 15));
             driver->step();
         }},
        {"card moved",
         [this, row0] {
             drag({row0, row0 + Vec2(100, 0), Vec2(kRowCardX, rowScreenY(4))}, 0.1f);
         }},
        {"block moved",
         [this, row0] {
             drag({row0, row0 + Vec2(100, 0), row0 + Vec2(100, -390), Vec2(kRowCardX, rowScreenY(3))}, 0.5f);
         }},
        {"cards dropped in the trash",
         [this] {
             drag({Vec2(kRowCardX, rowScreenY(1)), Vec2(840, 650)}, 0.5f);
         }},
        {"number entered",
         [this] {
             NumberEditor* numbers = editor->getSession().rooms().numberEditor;
             ASSERT_NE(numbers, nullptr);
             numbers->getEditBox()->setText("25");
             ASSERT_TRUE(numbers->commit());
         },
         [this] { tap(Vec2(kRowCardX, rowScreenY(1))); }},
        {"row inserted", [this] { tap(centreOf(editor->getSession().rooms().board->insertButtons()[0])); }},
        {"row deleted", [this] { tap(centreOf(editor->getSession().rooms().board->deleteButtons()[1])); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openEditor();
        if (c.prepare) {
            c.prepare();
        }
        const std::size_t stepsBefore = undoRedo()->history().undoSteps();
        const std::string before = fileBytes();
        const pavlune::FieldRows rowsBefore = editor->getSession().rooms().board->fieldRows();
        c.edit();
        driver->advance(0.6f);
        const std::string after = fileBytes();
        ASSERT_NE(after, before);
        ASSERT_EQ(undoRedo()->history().undoSteps(), stepsBefore + 1);
        // Undone at the other zoom: the file alone decides where cards snap.
        editor->getSession().rooms().fieldView->setZoomScale(0.5f);
        tap(centreOf(undoRedo()->getUndoButton()));
        EXPECT_EQ(fileBytes(), before);
        EXPECT_EQ(editor->getSession().rooms().board->fieldRows(), rowsBefore);
        EXPECT_EQ(editor->getSession().rooms().board->model().useCount(0, 0), 1);
        EXPECT_EQ(editor->getSession().rooms().board->cardNodes().size(), 4u);
        tap(centreOf(undoRedo()->getRedoButton()));
        EXPECT_EQ(fileBytes(), after);
        EXPECT_EQ(undoRedo()->history().undoSteps(), stepsBefore + 1);
    }
}

// Catches a history shorter or longer than a hundred steps, and an undo that a new
// edit does not cut off from its redo.
TEST_F(UndoRedoTest, AHundredStepsGoBackAndANewEditDropsRedo) {
    openEditor();
    FieldBoard* board = editor->getSession().rooms().board.get();
    for (int edit = 0; edit < 101; ++edit) {
        edit % 2 == 0 ? board->insertRow(0) : board->deleteRow(0);
        driver->step();
    }
    int undone = 0;
    while (undoRedo()->undo()) {
        ++undone;
    }
    EXPECT_EQ(undone, 100);
    ASSERT_TRUE(undoRedo()->history().canRedo());
    board->insertRow(0);
    EXPECT_FALSE(undoRedo()->history().canRedo());
    EXPECT_FALSE(undoRedo()->redo());
}

// Catches buttons that stay bright with nothing to do, a dimmed button that
// still acts, and an undo taken while a card is held (its node would go).
TEST_F(UndoRedoTest, TheButtonsAreDimmedWithNothingToDoAndUndoWaitsForAHeldCard) {
    openEditor();
    engine::Sprite* undo = undoRedo()->getUndoButton();
    engine::Sprite* redo = undoRedo()->getRedoButton();
    EXPECT_TRUE(UndoRedoControls::isDimmed(undo));
    EXPECT_TRUE(UndoRedoControls::isDimmed(redo));
    const std::string loaded = fileBytes();
    tap(centreOf(undo));
    EXPECT_EQ(fileBytes(), loaded);

    editor->getSession().rooms().board->insertRow(0);
    EXPECT_FALSE(UndoRedoControls::isDimmed(undo));
    EXPECT_TRUE(UndoRedoControls::isDimmed(redo));

    driver->advance(0.3f);
    // Pressed, not yet lifted (a lift would raise the card: an edit of its own).
    driver->touchBegan(Vec2(kRowCardX, rowScreenY(1)));
    driver->advance(0.02f);
    ASSERT_NE(editor->getSession().rooms().gestures->getPressedCard(), nullptr);
    EXPECT_FALSE(undoRedo()->undo());
    driver->touchEnded(Vec2(kRowCardX, rowScreenY(1)));
    driver->step();

    EXPECT_TRUE(undoRedo()->undo());
    EXPECT_TRUE(UndoRedoControls::isDimmed(undo));
    EXPECT_FALSE(UndoRedoControls::isDimmed(redo));
    // Clear of the field's rows at zoom 1.0 (right of every slot), of the
    // trash that appears during a drag, and of the back button.
    const engine::Rect slot = HitTest::worldBoundingBox(editor->getSession().rooms().board->slotNode(0));
    EXPECT_GT(HitTest::worldBoundingBox(undo).getMinX(), slot.getMaxX());
    for (const engine::Sprite* button : {undo, redo}) {
        const engine::Rect box = HitTest::worldBoundingBox(button);
        EXPECT_FALSE(
            box.intersectsRect(HitTest::worldBoundingBox(editor->getSession().rooms().trash->getSprite())));
        EXPECT_FALSE(box.intersectsRect(
            HitTest::worldBoundingBox(editor->getSession().rooms().runControls->getBackButton())));
    }
}

// One row per key. Catches a key bound to the wrong action, a modifier that
// is not required (plain Z or Return acting), zoom that does not keep the
// view's centre, and scrolling past the field's ends.
TEST_F(UndoRedoTest, EachKeyDoesItsOneThing) {
    struct Case {
        const char* name;
        SDL_Keycode key;
        Uint16 modifiers;
        int plays;
        std::size_t undoSteps;
        std::size_t redoSteps;
    };
    // Each starts with two edits of which one is undone.
    const Case history[] = {
        {"F5 plays", SDLK_F5, KMOD_NONE, 1, 1, 1},
        {"Ctrl+Return plays", SDLK_RETURN, KMOD_LCTRL, 1, 1, 1},
        {"plain Return", SDLK_RETURN, KMOD_NONE, 0, 1, 1},
        {"Ctrl+Z undoes", SDLK_z, KMOD_LCTRL, 0, 0, 2},
        {"plain Z", SDLK_z, KMOD_NONE, 0, 1, 1},
        {"Ctrl+Shift+Z redoes", SDLK_z, KMOD_LCTRL | KMOD_LSHIFT, 0, 2, 0},
        {"Ctrl+Y redoes", SDLK_y, KMOD_RCTRL, 0, 2, 0},
    };
    for (const Case& c : history) {
        SCOPED_TRACE(c.name);
        openEditor();
        int plays = 0;
        editor->getSession().rooms().runControls->onPlay = [&plays] { ++plays; };
        editor->getSession().rooms().board->insertRow(0);
        editor->getSession().rooms().board->insertRow(0);
        undoRedo()->undo();
        key(c.key, c.modifiers);
        EXPECT_EQ(plays, c.plays);
        EXPECT_EQ(undoRedo()->history().undoSteps(), c.undoSteps);
        EXPECT_EQ(undoRedo()->history().redoSteps(), c.redoSteps);
    }

    openEditor();
    FieldScrollView* field = editor->getSession().rooms().fieldView;
    const Vec2 centre(field->viewSize.width / 2, field->viewSize.height / 2);
    const auto contentAtCentre = [field, centre] { return field->container->convertToNodeSpace(centre); };
    const struct {
        const char* name;
        SDL_Keycode key;
        float zoomBefore;
        float zoomAfter;
    } zooms[] = {
        {"Ctrl+= zooms in", SDLK_EQUALS, 0.5f, 0.6f},
        {"Ctrl+; (the + key of a Japanese keyboard) zooms in", SDLK_SEMICOLON, 0.7f, 0.8f},
        {"Ctrl+- zooms out", SDLK_MINUS, 1.0f, 0.9f},
        {"Ctrl+- stops at the least zoom", SDLK_MINUS, 0.5f, 0.5f},
        {"Ctrl+0 goes back to 1.0", SDLK_0, 0.5f, 1.0f},
    };
    for (const auto& z : zooms) {
        SCOPED_TRACE(z.name);
        field->setZoomScale(z.zoomBefore);
        field->setContentOffset(Vec2(-100, -3000));
        const Vec2 pinned = contentAtCentre();
        key(z.key, KMOD_LCTRL);
        EXPECT_NEAR(field->getZoomScale(), z.zoomAfter, 1e-4f);
        EXPECT_NEAR(contentAtCentre().x, pinned.x, 0.5f);
        EXPECT_NEAR(contentAtCentre().y, pinned.y, 0.5f);
    }

    field->setZoomScale(1.0f);
    const float top = field->minContainerOffset().y;
    const float bottom = field->maxContainerOffset().y;
    const struct {
        const char* name;
        SDL_Keycode key;
        float startY;
        float endY;
    } scrolls[] = {
        {"Down shows later rows", SDLK_DOWN, -3000, -3000 + EditorKeys::kArrowStep},
        {"Up shows earlier rows", SDLK_UP, -3000, -3000 - EditorKeys::kArrowStep},
        {"Page Down by most of a screen", SDLK_PAGEDOWN, -3000, -3000 + 768 * 0.8f},
        {"Page Up stops at the end", SDLK_PAGEUP, top + 10, top},
        {"Down stops at the other end", SDLK_DOWN, bottom - 10, bottom},
    };
    for (const auto& s : scrolls) {
        SCOPED_TRACE(s.name);
        field->setContentOffset(Vec2(0, s.startY));
        key(s.key);
        EXPECT_NEAR(field->getContentOffset().y, s.endY, 0.01f);
    }
}

} // namespace
