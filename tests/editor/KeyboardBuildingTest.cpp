// Building a program with the keyboard alone on the headless editor: the
// focus frame's moves, what Return, Space and Delete do in each part of the
// screen, and where the frame is drawn. Expected rows and places come from the
// field's design (FieldRowsOnScreen.h) and the card reference, never from the
// focus code.

#include "editor/EditorChoices.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/cards/NumberEditor.h"
#include "editor/controls/BottomBar.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/focus/EditorFocus.h"
#include "editor/focus/FocusFrame.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/palette/CardPalette.h"
#include "editor/palette/DialectToggle.h"
#include "editor/print/PrintButton.h"
#include "engine/base/Value.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/editor/ProgramEditorFixture.h"
#include "widgets/AlertView.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

using engine::Value;
using engine::ValueMap;
using engine::ValueVector;
using engine::Vec2;
using Area = EditorFocus::Area;

namespace {

// Card keys from the card reference: basic 0 "LED 1", basic 1 "LED 0",
// basic 5 (the last basic card), full 2 a wait for a typed number.
constexpr int kBasic = 0;
constexpr int kFull = 2;
constexpr int kLastBasicCard = 5;
constexpr int kNumberCard = 2;

// Shift+Tab in a list of keys.
constexpr SDL_Keycode kShiftTab = -1;

struct Card {
    int set, index, row;
    const char* value;
};

// The rows of a program file: the card whose centre lies on a row's slot.
std::map<int, std::pair<int, int>> rowsOf(const ValueVector& elements) {
    std::map<int, std::pair<int, int>> rows;
    for (const Value& element : elements) {
        if (element.getType() != Value::Type::MAP) {
            continue;
        }
        const ValueMap& card = element.asValueMap();
        const float row = (653.0f + kStartOffsetY - card.at("y").asFloat()) / 130.0f;
        if (std::abs(card.at("x").asFloat() - kRowCardX) < 2 && std::abs(row - std::round(row)) < 0.05f) {
            rows[static_cast<int>(std::lround(row))] = {card.at("tab").asInt(), card.at("index").asInt()};
        }
    }
    return rows;
}

class KeyboardBuildingTest : public ProgramEditorTest {
protected:
    void openEditor(const std::vector<Card>& cards) {
        // The card set is the process's choice: each case starts from the first.
        EditorChoices().chooseCardSet(pavlune::basic);
        ValueVector elements;
        int z = 1;
        for (const Card& card : cards) {
            elements.push_back(rowCardElement(card.set, card.index, card.row, card.value, z++));
        }
        openProgram(elements);
        driver->advance(0.1f);
    }
    void keys(const std::vector<SDL_Keycode>& presses) {
        for (const SDL_Keycode code : presses) {
            driver->keyPress(code == kShiftTab ? SDLK_TAB : code,
                             code == kShiftTab ? KMOD_LSHIFT : KMOD_NONE);
            driver->step();
        }
    }
    void key(SDL_Keycode code, Uint16 modifiers = KMOD_NONE) {
        driver->keyPress(code, modifiers);
        driver->step();
    }
    std::map<int, std::pair<int, int>> savedRows() const {
        SaveDataManager* store = SaveDataManager::getInstance();
        store->finishWrites();
        return rowsOf(store->loadProgram(record));
    }
    EditorRooms& rooms() const { return editor->getSession().rooms(); }
    EditorFocus& focus() const { return *rooms().focus; }
};

// One row per way of moving. Catches a first Tab that already moves, Tab
// going the wrong way round or not wrapping, Shift ignored, an arrow that
// steps off either end instead of wrapping (a negative index), Left and Right
// mixed up over the card sets, and arrows that stop scrolling the field
// before the frame is asked for.
TEST_F(KeyboardBuildingTest, TabAndTheArrowsMoveTheFocusAndWrapAtTheEnds) {
    const struct {
        const char* name;
        std::vector<SDL_Keycode> presses;
        Area area;
        int paletteIndex;
        int row;
        int cardSet;
    } cases[] = {
        {"first Tab: the first card", {SDLK_TAB}, Area::palette, 0, 0, kBasic},
        {"Tab: the field", {SDLK_TAB, SDLK_TAB}, Area::field, 0, 0, kBasic},
        {"Tab round", {SDLK_TAB, SDLK_TAB, SDLK_TAB, SDLK_TAB}, Area::palette, 0, 0, kBasic},
        {"Shift+Tab round back", {SDLK_TAB, kShiftTab}, Area::controls, 0, 0, kBasic},
        {"Up past the first card", {SDLK_TAB, SDLK_UP}, Area::palette, kLastBasicCard, 0, kBasic},
        {"Down past the last card", {SDLK_TAB, SDLK_UP, SDLK_DOWN}, Area::palette, 0, 0, kBasic},
        {"Down: the next row", {SDLK_TAB, SDLK_TAB, SDLK_DOWN}, Area::field, 0, 1, kBasic},
        {"Up past row 1", {SDLK_TAB, SDLK_TAB, SDLK_UP}, Area::field, 0, 39, kBasic},
        {"Right: the next set", {SDLK_TAB, SDLK_DOWN, SDLK_RIGHT}, Area::palette, 0, 0, 1},
        {"Left past the first set", {SDLK_TAB, SDLK_LEFT}, Area::palette, 0, 0, kFull},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openEditor({});
        keys(c.presses);
        EXPECT_TRUE(focus().isShown());
        EXPECT_EQ(focus().area(), c.area);
        if (c.area == Area::palette) {
            EXPECT_EQ(focus().paletteIndex(), c.paletteIndex);
        }
        EXPECT_EQ(focus().row(), c.row);
        EXPECT_EQ(static_cast<int>(editor->getSession().choices().cardSet()), c.cardSet);
    }

    // Before the first Tab the arrows scroll the field, as they always did;
    // Escape puts them back to scrolling.
    openEditor({});
    FieldScrollView* field = rooms().fieldView;
    for (const bool tabbed : {false, true}) {
        if (tabbed) {
            keys({SDLK_TAB, SDLK_ESCAPE});
        }
        const Vec2 before = field->getContentOffset();
        key(SDLK_DOWN);
        EXPECT_FALSE(focus().isShown());
        EXPECT_NE(field->getContentOffset(), before) << (tabbed ? "after Escape" : "before Tab");
    }
}

// One row per place Return can lay a card. Catches a card laid on a taken
// row (two cards on one row), a search that starts from the top instead of
// the focused row, one that does not wrap past row 40, and a card that is not
// saved to the file.
TEST_F(KeyboardBuildingTest, ReturnLaysThePaletteCardOnTheFocusedRowOrTheFirstFreeOneAfterIt) {
    const struct {
        const char* name;
        std::vector<Card> program;
        int focusedRow;
        int laidOn;
    } cases[] = {
        {"an empty field: the focused row", {}, 0, 0},
        {"a free focused row below cards", {{0, 1, 0, ""}, {0, 2, 1, ""}}, 5, 5},
        {"a taken row: the next free one", {{0, 1, 0, ""}, {0, 2, 1, ""}, {0, 3, 3, ""}}, 1, 2},
        {"taken to the end: from the top again", {{0, 1, 38, ""}, {0, 2, 39, ""}}, 38, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        openEditor(c.program);
        keys({SDLK_TAB, SDLK_TAB});
        for (int row = 0; row < c.focusedRow; ++row) {
            key(SDLK_DOWN);
        }
        keys({SDLK_TAB, SDLK_TAB, SDLK_RETURN});

        std::map<int, std::pair<int, int>> expected;
        for (const Card& card : c.program) {
            expected[card.row] = {card.set, card.index};
        }
        expected[c.laidOn] = {kBasic, 0};
        EXPECT_EQ(savedRows(), expected);
        EXPECT_EQ(focus().row(), c.laidOn);
        EXPECT_EQ(focus().area(), Area::palette);
    }
}

// Catches Delete or Backspace taking another row's card (or none), an edit
// that is not saved, and one that undo cannot take back to the same file.
TEST_F(KeyboardBuildingTest, DeleteTakesTheRowsCardOffAndUndoPutsItBack) {
    for (const SDL_Keycode removal : {SDLK_DELETE, SDLK_BACKSPACE}) {
        SCOPED_TRACE(removal == SDLK_DELETE ? "Delete" : "Backspace");
        openEditor({{0, 0, 0, ""}, {0, 1, 1, ""}, {0, 2, 2, ""}});
        keys({SDLK_TAB, SDLK_TAB, SDLK_DOWN, removal});
        EXPECT_EQ(savedRows(), (std::map<int, std::pair<int, int>>{{0, {0, 0}}, {2, {0, 2}}}));
        key(SDLK_z, KMOD_LCTRL);
        EXPECT_EQ(savedRows(), (std::map<int, std::pair<int, int>>{{0, {0, 0}}, {1, {0, 1}}, {2, {0, 2}}}));
        key(removal); // the focus stayed on the row
        EXPECT_EQ(savedRows().count(1), 0u);
    }
}

// Catches Return opening an editor on a card without a number, a number
// typed but not saved, and Escape keeping what was typed.
TEST_F(KeyboardBuildingTest, ReturnOnANumberCardOpensItsEditorWhereReturnKeepsAndEscapeDropsTheNumber) {
    openEditor({{kBasic, 0, 0, ""}, {kFull, kNumberCard, 1, "1"}});
    keys({SDLK_TAB, SDLK_TAB, SDLK_RETURN});
    EXPECT_EQ(rooms().numberEditor, nullptr) << "LED 1 has no number";

    const auto savedValue = [this] {
        SaveDataManager* store = SaveDataManager::getInstance();
        store->finishWrites();
        for (const Value& element : store->loadProgram(record)) {
            if (element.asValueMap().at("tab").asInt() == kFull) {
                return element.asValueMap().at("value").asString();
            }
        }
        return std::string("none");
    };
    const struct {
        const char* typed;
        SDL_Keycode ending;
        const char* saved;
    } edits[] = {{"25", SDLK_RETURN, "25"}, {"7", SDLK_ESCAPE, "25"}};
    key(SDLK_DOWN);
    for (const auto& edit : edits) {
        SCOPED_TRACE(edit.typed);
        key(SDLK_RETURN);
        ASSERT_NE(rooms().numberEditor, nullptr);
        driver->typeText(edit.typed);
        driver->keyDown(edit.ending);
        driver->advance(0.5f);
        EXPECT_EQ(rooms().numberEditor, nullptr);
        EXPECT_EQ(savedValue(), edit.saved);
    }
}

// Catches buttons read in the order they were added rather than as they
// show, a dimmed button that can still be reached, and Return or Space not
// pressing the focused one.
TEST_F(KeyboardBuildingTest, TheButtonsAreReachedTopToBottomAndPressedWithReturnOrSpace) {
    openEditor({{kBasic, 0, 0, ""}});
    int plays = 0;
    rooms().runControls->onPlay = [&plays] { ++plays; };
    keys({SDLK_TAB, SDLK_TAB, SDLK_TAB});
    // Nothing to undo or redo yet: the top line is the back button alone.
    EXPECT_EQ(focus().focusedControl(), rooms().runControls->getBackButton());
    key(SDLK_DOWN);
    EXPECT_EQ(focus().focusedControl(), rooms().dialectToggle);
    key(SDLK_DOWN);
    EXPECT_EQ(focus().focusedControl(), static_cast<engine::Node*>(rooms().runControls->getPlayButton()));
    keys({SDLK_RETURN, SDLK_SPACE});
    EXPECT_EQ(plays, 2);
    keys({SDLK_LEFT, SDLK_LEFT});
    EXPECT_EQ(focus().focusedControl(), rooms().runControls->getBackButton()) << "Left is Up";
    key(SDLK_UP);
    EXPECT_NE(focus().focusedControl(), rooms().runControls->getBackButton()) << "wraps to the last";
}

// Catches a button on the bar that the keys never reach: the print button
// sits on the bar only while it is open.
TEST_F(KeyboardBuildingTest, TheOpenBarsPrintButtonIsReached) {
    openEditor({{kBasic, 0, 0, ""}});
    engine::Node* print = rooms().printButton->getButton();
    if (!print) {
        GTEST_SKIP() << "this build cannot print";
    }
    keys({SDLK_TAB, SDLK_TAB, SDLK_TAB});
    const auto reached = [this, print] {
        for (std::size_t step = 0; step <= editor->getSession().controls().size(); ++step) {
            if (focus().focusedControl() == print) {
                return true;
            }
            key(SDLK_DOWN);
        }
        return false;
    };
    EXPECT_FALSE(reached()) << "hidden with the bar";
    rooms().bottomBar->toggle();
    driver->advance(BottomBar::kSlideDuration + 0.1f);
    EXPECT_TRUE(reached());
}

// The frame as the user sees it: its deep blue band and its yellow band
// just outside the focused thing, as wide on the screen at half zoom as at
// full. Catches a frame left where the focus was, drawn under the cards, or
// scaled with the field.
TEST_F(KeyboardBuildingTest, TheFrameIsDrawnAroundTheFocusAsWideAtEveryZoom) {
    const engine::Color4B blue = design::kFocusBlue;
    const engine::Color4B yellow = FocusFrame::kInnerColour;
    const auto near = [](engine::Color4B a, engine::Color4B b) {
        return std::abs(a.r - b.r) < 24 && std::abs(a.g - b.g) < 24 && std::abs(a.b - b.b) < 24;
    };
    // Screen units left of a box's left edge to the middle of each band.
    const float inYellow = FocusFrame::kGap + FocusFrame::kInnerWidth / 2;
    const float inBlue = FocusFrame::kGap + FocusFrame::kInnerWidth + FocusFrame::kOuterWidth / 2;
    const float outside = inBlue + FocusFrame::kOuterWidth;

    for (const float zoom : {1.0f, 0.5f}) {
        SCOPED_TRACE(zoom);
        openEditor({{kBasic, 0, 1, ""}});
        rooms().fieldView->setZoomScale(zoom);
        driver->advance(0.1f);
        keys({SDLK_TAB, SDLK_TAB, SDLK_DOWN});
        driver->step();
        // Row 1 holds a card: the frame goes round its slot, card and all.
        const engine::Rect slot = HitTest::worldBoundingBox(rooms().board->slotNode(1));
        const float y = slot.getMidY();
        EXPECT_TRUE(near(driver->pixelAt(Vec2(slot.getMinX() - inBlue, y)), blue));
        EXPECT_TRUE(near(driver->pixelAt(Vec2(slot.getMinX() - inYellow, y)), yellow));
        EXPECT_FALSE(near(driver->pixelAt(Vec2(slot.getMinX() - outside, y)), blue));
        EXPECT_TRUE(near(driver->pixelAt(Vec2(slot.getMaxX() + inBlue, y)), blue));
        key(SDLK_UP); // the frame leaves row 1
        EXPECT_FALSE(near(driver->pixelAt(Vec2(slot.getMinX() - inBlue, y)), blue));
    }

    // Over a palette card too.
    keys({SDLK_TAB, SDLK_TAB});
    const engine::Rect first = HitTest::worldBoundingBox(rooms().palette->paletteCard(0));
    EXPECT_TRUE(near(driver->pixelAt(Vec2(first.getMinX() - inBlue, first.getMidY())), blue));
}

} // namespace
