// A program at the element limit on the screen: the palette refuses another
// card and says why, and undo and redo of a program longer than the limit say
// again that only its first elements show, on the headless engine.

#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/palette/CardPalette.h"
#include "engine/2d/Label.h"
#include "engine/2d/Sprite.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Value.h"
#include "field/ProgramDocument.h"
#include "tests/editor/ProgramEditorFixture.h"
#include "widgets/AlertView.h"
#include "widgets/HitTest.h"

#include <gtest/gtest.h>
#include <string>

using engine::Vec2;

namespace {

constexpr std::size_t kLimit = 2000;

class ElementLimitOnScreenTest : public ProgramEditorTest {
protected:
    // An editor on a program of `count` loose cards, far below the rows shown
    // at the start.
    void openWith(std::size_t count) {
        engine::ValueVector elements;
        for (std::size_t k = 0; k < count; ++k) {
            elements.emplace_back(pavlune::ProgramDocument::elementFor(
                0, static_cast<int>(k % 5), {1000, 300}, static_cast<int>(k) + 1, ""));
        }
        openProgram(elements);
        driver->advance(0.1f);
    }

    // The text of the notice box shown over the editor, once it has faded
    // in; empty when none shows.
    std::string shownNotice() const {
        const AlertView* box = AlertView::shownIn(editor);
        if (!box || !box->isVisible() || box->getOpacity() != 255) {
            return {};
        }
        for (const engine::Node* child : box->getChildren()) {
            if (const auto* label = dynamic_cast<const engine::Label*>(child)) {
                return label->getString();
            }
        }
        return {};
    }
    void closeNotice() {
        AlertView* box = AlertView::shownIn(editor);
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(box->dismiss());
        driver->advance(0.2f);
        ASSERT_EQ(AlertView::shownIn(editor), nullptr);
    }
    static std::string notice(const char* message) {
        return std::string(EditorTexts::kNoticeCaption) + "\n" + message;
    }
    std::size_t elementsInFile() const {
        return engine::FileUtils::getInstance()->getValueVectorFromFile(root() + record->path).size();
    }
    // Carries palette card 0 onto the field in 30 moves and lets go there.
    void carryFromPalette(Vec2 to) {
        const engine::Node* card = editor->getSession().rooms().palette->paletteCard(0);
        const Vec2 from = card->getParent()->convertToWorldSpace(card->getPosition());
        driver->touchBegan(from);
        for (int step = 1; step <= 30; ++step) {
            driver->touchMoved(from + (to - from) * (static_cast<float>(step) / 30));
            driver->step();
        }
        driver->touchEnded(to);
        driver->advance(0.1f);
    }
    void tapOn(const engine::Node* button) {
        const engine::Rect box = HitTest::worldBoundingBox(button);
        tap(Vec2(box.getMidX(), box.getMidY()));
        driver->advance(0.1f);
    }
};

// Catches a palette that places a card past the limit (the file would then
// hold a card that no reopen shows), a refusal without a word, and one that
// holds on once a card was removed.
TEST_F(ElementLimitOnScreenTest, ThePaletteRefusesACardAtTheLimitAndSaysWhy) {
    openWith(kLimit);
    FieldBoard* board = editor->getSession().rooms().board.get();
    ASSERT_EQ(board->cardNodes().size(), kLimit);
    ASSERT_EQ(shownNotice(), "") << "a program of exactly the limit opens whole";

    carryFromPalette({500, 300});
    EXPECT_EQ(shownNotice(), notice(EditorTexts::kNoRoomForCardsMessage));
    EXPECT_EQ(board->cardNodes().size(), kLimit);
    EXPECT_EQ(editor->getSession().rooms().palette->getDrag().floatingCard(), nullptr);
    EXPECT_EQ(elementsInFile(), kLimit);
    closeNotice();

    board->removeCard(board->cardNodes().front());
    editor->saveField();
    driver->advance(0.3f);
    carryFromPalette({500, 300});
    EXPECT_EQ(shownNotice(), "");
    EXPECT_EQ(board->cardNodes().size(), kLimit) << "the freed place takes the new card";
    EXPECT_EQ(elementsInFile(), kLimit);
}

// A program one element past the limit opens with the notice; after a card
// is removed, the undo and redo buttons each show the notice again, and the
// field shows what it showed before (redo keeps the removed card's place, so
// the kept element stays out of sight). Catches a step that is put back
// without the notice, and one that pulls the kept element into the program.
TEST_F(ElementLimitOnScreenTest, UndoAndRedoOfAProgramPastTheLimitSayAgainWhatShows) {
    openWith(kLimit + 1);
    FieldBoard* board = editor->getSession().rooms().board.get();
    ASSERT_EQ(board->cardNodes().size(), kLimit);
    ASSERT_EQ(shownNotice(), notice(EditorTexts::kTooManyCardsMessage));
    closeNotice();
    board->removeCard(board->cardNodes().front());
    editor->saveField();
    driver->advance(0.3f);
    ASSERT_EQ(shownNotice(), "") << "an edit says nothing";

    UndoRedoControls* undoRedo = editor->getSession().rooms().undoRedo.get();
    const struct {
        const char* name;
        const engine::Sprite* button;
        std::size_t shown;
    } steps[] = {{"undo", undoRedo->getUndoButton(), kLimit},
                 {"redo", undoRedo->getRedoButton(), kLimit - 1}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        tapOn(step.button);
        EXPECT_EQ(shownNotice(), notice(EditorTexts::kTooManyCardsMessage));
        EXPECT_EQ(board->cardNodes().size(), step.shown);
        closeNotice();
    }
    EXPECT_EQ(elementsInFile(), kLimit + 1);
}

} // namespace
