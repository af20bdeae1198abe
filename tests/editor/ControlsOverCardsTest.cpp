// The editor's controls stay above the field's cards however many cards the
// program holds, and loose cards are settled clear of them when a program is
// opened and at each undo and redo, on the headless engine with the
// process-wide store.

#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/history/UndoRedoControls.h"
#include "engine/2d/Sprite.h"
#include "engine/base/Value.h"
#include "field/ProgramDocument.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/editor/ProgramEditorFixture.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"

#include <gtest/gtest.h>
#include <unordered_map>

using engine::Vec2;

namespace {

// Every node's place in drawing order: children below zero, the node, then
// its other children, each list by z-order and arrival.
void numberInDrawingOrder(engine::Node* node, std::unordered_map<const engine::Node*, int>& order) {
    node->sortAllChildren();
    const auto& children = node->getChildren();
    std::size_t k = 0;
    for (; k < children.size() && children.at(k)->getLocalZOrder() < 0; ++k) {
        numberInDrawingOrder(children.at(k), order);
    }
    order[node] = static_cast<int>(order.size());
    for (; k < children.size(); ++k) {
        numberInDrawingOrder(children.at(k), order);
    }
}

Vec2 centreOf(const engine::Node* node) {
    const engine::Rect box = HitTest::worldBoundingBox(node);
    return {box.getMidX(), box.getMidY()};
}

// Where the controls drawn over the field lie on the screen, from their
// pictures' sizes (res/README.md) and places: the run panel 150 x 400 at the
// right edge, centred; the code button 110 x 50, 20 below it; the back
// button's tab 110 x 70 in the top right corner and the button 80 x 50, 10
// inside it; redo and undo 60 x 50 left of it, 28 and 8 apart; the closed
// bar 96 high, 92 of it below the window, with the settings tab 90 x 60 on
// it at the right edge and the button 50 x 50, 10 inside the tab.
const engine::Rect kControls[] = {
    {874, 184, 150, 400}, // run panel
    {894, 114, 110, 50},  // code
    {914, 698, 110, 70},  // back tab
    {934, 708, 80, 50},   // back
    {846, 708, 60, 50},   // redo
    {778, 708, 60, 50},   // undo
    {275, -92, 749, 96},  // bar
    {934, 4, 90, 60},     // settings tab
    {964, 14, 50, 50},    // settings
};

class ControlsOverCardsTest : public ProgramEditorTest {
protected:
    // Every loose card that shows lies wholly on the field right of the
    // palette and covers no control, as the field is shown now.
    static void expectLooseCardsClear(const FieldBoard* board) {
        const pavlune::FieldViewport shown = board->viewport();
        for (const pavlune::PlacedCard& card : board->model().placedCards()) {
            if (card.connectors[0].isAttached()) {
                continue;
            }
            const Vec2 centre = shown.toScreen(card.position);
            const engine::Size size = card.size * shown.zoom();
            const engine::Rect area(centre.x - size.width / 2, centre.y - size.height / 2, size.width,
                                    size.height);
            if (area.getMaxX() <= 0 || area.getMinX() >= 1024 || area.getMaxY() <= 0 ||
                area.getMinY() >= 768) {
                continue; // scrolled out of sight
            }
            SCOPED_TRACE(testing::Message()
                         << "card " << card.id << " at (" << area.getMinX() << ", " << area.getMinY() << ")");
            EXPECT_GE(area.getMinX(), 275);
            EXPECT_LE(area.getMaxX(), 1024);
            EXPECT_GE(area.getMinY(), 0);
            EXPECT_LE(area.getMaxY(), 768);
            for (const engine::Rect& control : kControls) {
                const bool apart = area.getMaxX() <= control.getMinX() ||
                                   control.getMaxX() <= area.getMinX() ||
                                   area.getMaxY() <= control.getMinY() || control.getMaxY() <= area.getMinY();
                EXPECT_TRUE(apart) << "covers the control at (" << control.getMinX() << ", "
                                   << control.getMinY() << ")";
            }
        }
    }
};

// A program opened with loose cards under the run panel, the undo button, the
// back button's tab and the bar, and one stored on a taken row (it slides
// beside the column, which at zoom 1 lies under the panel). Catches an
// opening that settles loose cards without the controls' places.
TEST_F(ControlsOverCardsTest, LooseCardsOfAnOpenedProgramLieClearOfTheControls) {
    const Vec2 onScreen[] = {{950, 384}, {808, 733}, {924, 640}, {600, 20}, {kRowCardX, rowScreenY(1)}};
    engine::ValueVector elements;
    elements.emplace_back(
        pavlune::ProgramDocument::elementFor(0, 0, {kRowCardX, rowScreenY(1) + kStartOffsetY}, 1, ""));
    int z = 2;
    for (const Vec2& at : onScreen) {
        elements.emplace_back(
            pavlune::ProgramDocument::elementFor(0, 1, at + Vec2(0, kStartOffsetY), z++, ""));
    }
    openProgram(elements);
    FieldBoard* board = editor->getSession().rooms().board.get();
    ASSERT_EQ(board->cardNodes().size(), 6u);
    ASSERT_EQ(board->model().cardOnRow(1), board->cardNodes().front()->modelId);
    expectLooseCardsClear(board);
    // The nodes show where the model has them.
    for (const CardSprite* node : board->cardNodes()) {
        EXPECT_EQ(node->getPosition(), board->model().findCard(node->modelId)->position);
    }
}

// The field zoomed and scrolled after an edit so that the loose cards of the
// step before lie under the run panel, the undo button, the back button's
// tab (below the button), the settings tab (beside the button) and the bar:
// undo shows them clear of every control, and so does redo, at each zoom
// (the editor zooms from 0.5 to 1; 2 checks that sizes follow the zoom).
// The tabs' places are covered by nothing else at zoom 0.5. Catches undo and
// redo that settle without the controls, a list of controls without the
// tabs, and a card's size taken in field units.
TEST_F(ControlsOverCardsTest, UndoAndRedoShowLooseCardsClearOfTheControlsAtEachZoom) {
    const Vec2 onScreen[] = {{950, 384}, {808, 733}, {924, 674}, {914, 34}, {600, 20}};
    for (const float zoom : {0.5f, 1.0f, 2.0f}) {
        SCOPED_TRACE(testing::Message() << "zoom " << zoom);
        // Screen x 1024 shows field x 1300, screen y 384 field y 2000: far
        // below the rows shown at the start, and inside the field.
        const pavlune::FieldViewport later(Vec2(1024 - 1300 * zoom, 384 - 2000 * zoom), zoom);
        engine::ValueVector elements;
        int z = 1;
        for (const Vec2& at : onScreen) {
            elements.emplace_back(pavlune::ProgramDocument::elementFor(0, 1, later.toContent(at), z++, ""));
        }
        openProgram(elements);
        FieldBoard* board = editor->getSession().rooms().board.get();
        ASSERT_EQ(board->cardNodes().size(), 5u);
        ASSERT_NE(board->addCard(0, 0, board->viewport().toContent({400, 300}), 255), nullptr);
        editor->saveField();

        FieldScrollView* view = editor->getSession().rooms().fieldView;
        view->maxScale = 2;
        view->setZoomScale(zoom);
        view->setContentOffset(later.offset());
        ASSERT_EQ(board->viewport().zoom(), zoom);
        ASSERT_EQ(board->viewport().offset(), later.offset());
        for (const bool undo : {true, false}) {
            SCOPED_TRACE(undo ? "undo" : "redo");
            ASSERT_TRUE(undo ? editor->getSession().rooms().undoRedo.get()->undo()
                             : editor->getSession().rooms().undoRedo.get()->redo());
            driver->step();
            ASSERT_EQ(board->cardNodes().size(), undo ? 5u : 6u);
            expectLooseCardsClear(board);
        }
    }
}

// A program of 240 loose cards and one more dropped under each control.
// Catches a control added below the field (or the field raised over the
// controls), seen both in the nodes' drawing order and in the pixels.
TEST_F(ControlsOverCardsTest, TheControlsAreDrawnAboveLooseCardsUnderThem) {
    engine::ValueVector elements;
    for (int k = 0; k < 240; ++k) {
        elements.emplace_back(pavlune::ProgramDocument::elementFor(
            0, k % 5, {1100, 600 + 20.0f * static_cast<float>(k)}, k + 1, ""));
    }
    openProgram(elements);
    engine::Node* scene = editor->getParent();
    driver->advance(1);
    FieldBoard* board = editor->getSession().rooms().board.get();
    ASSERT_EQ(board->cardNodes().size(), 240u);

    UndoRedoControls* undoRedo = editor->getSession().rooms().undoRedo.get();
    const struct {
        const char* name;
        engine::Sprite* control;
    } controls[] = {
        {"undo", undoRedo->getUndoButton()},
        {"redo", undoRedo->getRedoButton()},
        {"back", editor->getSession().rooms().runControls->getBackButton()},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.control, nullptr);
        const Vec2 at = centreOf(c.control);
        driver->step();
        const engine::Color4B bare = driver->pixelAt(at);
        CardSprite* card = board->addCard(0, 3, board->viewport().toContent(at), 255);
        ASSERT_NE(card, nullptr);
        driver->step();
        ASSERT_TRUE(HitTest::worldBoundingBox(card).containsPoint(at)) << "the card lies under the control";

        std::unordered_map<const engine::Node*, int> order;
        numberInDrawingOrder(scene, order);
        for (const CardSprite* node : board->cardNodes()) {
            ASSERT_LT(order.at(node), order.at(c.control));
        }
        const engine::Color4B seen = driver->pixelAt(at);
        EXPECT_EQ(seen.r, bare.r);
        EXPECT_EQ(seen.g, bare.g);
        EXPECT_EQ(seen.b, bare.b);
    }
}

// A loose card stored right of what the screen shows at zoom 1 (so nothing
// settles it on opening) comes into sight under the run panel when the field
// is zoomed out to 0.5; once the zoom has come to rest it lies clear. Catches
// a zoom that leaves it there (taps on it would go to play).
TEST_F(ControlsOverCardsTest, AZoomThatBringsALooseCardUnderAControlSettlesIt) {
    openProgram({engine::Value(pavlune::ProgramDocument::elementFor(0, 1, {1300, 5100}, 1, ""))});
    FieldBoard* board = editor->getSession().rooms().board.get();
    ASSERT_EQ(board->cardNodes().size(), 1u);
    EXPECT_EQ(board->model().placedCards().front().position, Vec2(1300, 5100)) << "out of sight, not moved";

    editor->getSession().rooms().fieldView->setZoomScale(0.5f);
    const engine::Rect before = HitTest::worldBoundingBox(board->cardNodes().front());
    ASSERT_GT(before.getMaxX(), 874) << "under the run panel";
    ASSERT_LT(before.getMinX(), 1024);
    driver->advance(0.1f);
    expectLooseCardsClear(board);
}

} // namespace
