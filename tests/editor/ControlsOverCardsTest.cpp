// The editor's controls stay above the field's cards however many cards the
// program holds, on the headless engine with the process-wide store.

#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/controls/RunControls.h"
#include "editor/field/FieldBoard.h"
#include "editor/history/UndoRedoControls.h"
#include "engine/2d/Sprite.h"
#include "engine/base/Value.h"
#include "field/ProgramDocument.h"
#include "tests/saves/SaveScreenFixture.h"
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

class ControlsOverCardsTest : public SaveScreenTest {};

// A program of 240 loose cards and one more dropped under each control.
// Catches a control added below the field (or the field raised over the
// controls), seen both in the nodes' drawing order and in the pixels.
TEST_F(ControlsOverCardsTest, TheControlsAreDrawnAboveLooseCardsUnderThem) {
    SaveData* record = addPrograms(1).front();
    engine::ValueVector elements;
    for (int k = 0; k < 240; ++k) {
        elements.emplace_back(pavlune::ProgramDocument::elementFor(
            0, k % 5, {1100, 600 + 20.0f * static_cast<float>(k)}, k + 1, ""));
    }
    ASSERT_NE(SaveDataManager::getInstance()->saveProgram(record, elements),
              SaveDataManager::SaveResult::Failed);
    FieldScene* editor = made(FieldScene::create(record));
    engine::Scene* scene = made(engine::Scene::create());
    scene->addChild(editor);
    present(scene);
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

} // namespace
