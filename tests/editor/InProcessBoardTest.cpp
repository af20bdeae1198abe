// The board simulator in the editor's own process, on the real editor screen
// and the virtual clock: a program sent to it runs, the field lights the row
// whose card is running as it advances, and the board's panel shows the LED.
#include "editor/link/InProcessBoard.h"

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/controls/BottomBar.h"
#include "editor/controls/RunControls.h"
#include "editor/history/UndoRedoControls.h"
#include "editor/link/BoardLink.h"
#include "editor/link/BoardPanel.h"
#include "editor/link/BoardWatch.h"
#include "editor/link/LinkSetup.h"
#include "editor/link/PortControls.h"
#include "editor/link/PortListPopup.h"
#include "editor/palette/DialectToggle.h"
#include "editor/panel/ProgramPanel.h"
#include "engine/2d/Label.h"
#include "engine/base/Value.h"
#include "engine/platform/Image.h"
#include "program/VirtualTransferClock.h"
#include "tests/device/FakeSerialBackend.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/editor/ProgramEditorFixture.h"
#include "widgets/HitTest.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using engine::Color4B;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;
using engine::Vec2;

namespace {

class InProcessBoardTest : public ProgramEditorTest {
protected:
    void SetUp() override {
        ProgramEditorTest::SetUp();
        script = std::make_shared<pavlune::FakeSerialBackend::Script>();
        auto* manager =
            new pavlune::PavluneCardSerialManager(std::make_unique<pavlune::FakeSerialBackend>(script));
        board = std::make_shared<InProcessBoard>();
        board->listIn(*manager);
        setup = LinkSetup{
            std::shared_ptr<pavlune::PavluneCardSerialManager>(manager, [](auto* m) { m->release(); }),
            [] { return std::make_unique<pavlune::VirtualTransferClock>(); }, nullptr, board};
        LinkSetup::install(&setup);
    }
    void TearDown() override {
        if (editor) {
            editor->getSession().rooms().link->waitForWorkers();
        }
        LinkSetup::install(nullptr);
        ProgramEditorTest::TearDown();
        board.reset();
    }

    // Cards of the basic set on rows 0, 1, 2, ...
    void openWithRows(const std::vector<int>& cards) {
        ValueVector elements;
        int z = 1;
        for (std::size_t row = 0; row < cards.size(); ++row) {
            elements.push_back(Value(ValueMap{{"tab", Value(0)},
                                              {"index", Value(cards[row])},
                                              {"x", Value(static_cast<int>(std::lround(kRowCardX)))},
                                              {"y", Value(static_cast<int>(std::lround(
                                                        rowScreenY(static_cast<int>(row)) + kStartOffsetY)))},
                                              {"zorder", Value(z++)},
                                              {"value", Value("")}}));
        }
        openProgram(elements);
        editor->getSession().rooms().link->waitForWorkers();
        driver->step();
    }

    BoardLink& link() const { return *editor->getSession().rooms().link; }
    bool lit(int row) const { return driver->pixelAt(rowLightSpot(row)) == kRowLit; }
    BoardPanel* panel() const { return editor->getSession().rooms().boardWatch->panel(); }

    // Runs the field's program on the simulator to its end, in frames of a
    // tenth of a second (the send's pauses are as long as a board's).
    void sendToSimulator() {
        link().runOnBoard();
        for (int frame = 0; frame < 10 * 60 && link().isTransferring(); ++frame) {
            driver->step(0.1f);
        }
        ASSERT_FALSE(link().isTransferring());
        driver->step();
    }
    // The panel's car body (blue, 36 x 70 from (24, 20) on the panel) as drawn.
    bool panelDrawn() const {
        return driver->pixelAt(panel()->convertToWorldSpace(Vec2(42, 55))) == Color4B(70, 120, 200, 255);
    }
    // A finger on the panel's middle moved to `to` in steps of 8 units, then lifted.
    void dragPanel(const Vec2& to) {
        const engine::Rect area = HitTest::worldBoundingBox(panel());
        Vec2 at(area.getMidX(), area.getMidY());
        driver->touchBegan(at);
        while (at.distance(to) > 8) {
            at = at + (to - at) * (8 / at.distance(to));
            driver->touchMoved(at);
        }
        driver->touchMoved(to);
        driver->touchEnded(to);
        driver->step();
    }

    std::shared_ptr<pavlune::FakeSerialBackend::Script> script;
    LinkSetup setup;
    std::shared_ptr<InProcessBoard> board;
};

// LED on, wait a second, LED off, wait a second: while the first wait runs,
// its row is lit and the panel's LED is red; then the second wait's row;
// nothing once the program ended. Catches a row taken from the line after the
// running one, a light left on a row the board has left (or after the end),
// a panel drawn from a stale state, and a send that never reaches the board.
TEST_F(InProcessBoardTest, TheRowOfTheRunningCardIsLitAsTheProgramAdvances) {
    openWithRows({0, 2, 1, 2}); // LED 1, WAIT 60, LED 0, WAIT 60
    ASSERT_TRUE(editor->getSession().rooms().link->getInProcessBoard());
    ASSERT_TRUE(setup.serial->choosePort(InProcessBoard::kPortName));
    link().runOnBoard();
    ASSERT_TRUE(link().isTransferring());
    driver->advance(1.0f);
    EXPECT_FALSE(lit(1) || lit(3)) << "lit before the program runs";
    // Frames of a tenth of a second: the send's pauses are as long as a board's.
    for (int frame = 0; frame < 10 * 60 && link().isTransferring(); ++frame) {
        driver->step(0.1f);
    }
    ASSERT_FALSE(link().isTransferring());

    driver->advance(0.5f);
    EXPECT_TRUE(lit(1));
    EXPECT_FALSE(lit(3));
    const BoardPanel* panel = editor->getSession().rooms().boardWatch->panel();
    ASSERT_TRUE(panel && panel->isVisible());
    const engine::Rect led = panel->led()->getBoundingBox();
    const Vec2 ledCentre = panel->convertToWorldSpace(Vec2(led.getMidX(), led.getMidY()));
    EXPECT_EQ(driver->pixelAt(ledCentre), Color4B(240, 30, 30, 255));

    driver->advance(1.0f);
    EXPECT_FALSE(lit(1));
    EXPECT_TRUE(lit(3));
    EXPECT_NE(driver->pixelAt(ledCentre), Color4B(240, 30, 30, 255));

    driver->advance(1.0f);
    EXPECT_FALSE(lit(1) || lit(3));
}

// Every control on the screen, and the bar once it is open: the panel's
// first place and each place a drag towards one of them (or off the screen)
// leaves it, sliding along what it meets, overlap none of them, stay on the
// screen, and leave each control's middle drawn as it was. Catches a first
// place over the run panel, a control left out of what the panel keeps clear
// of (the gear, コード, undo and redo were), a bar that opens over the panel,
// and a panel dragged off the screen.
TEST_F(InProcessBoardTest, ThePanelsPlaceKeepsClearOfEveryControlAfterEachDrag) {
    openWithRows({0});
    ASSERT_TRUE(setup.serial->choosePort(InProcessBoard::kPortName));
    sendToSimulator();
    ASSERT_TRUE(panel()->isVisible());
    EditorRooms& rooms = editor->getSession().rooms();
    const struct {
        const char* name;
        const engine::Node* node;
        bool barOpen;
    } controls[] = {
        {"run panel", rooms.runControls->getPlayerPanel(), false},
        {"play", rooms.runControls->getPlayButton(), false},
        {"stop", rooms.runControls->getStopButton(), false},
        {"dialect", rooms.dialectToggle, false},
        {"back", rooms.runControls->getBackButton(), false},
        {"undo", rooms.undoRedo->getUndoButton(), false},
        {"redo", rooms.undoRedo->getRedoButton(), false},
        {"コード", rooms.programPanel->getButton(), false},
        {"gear", rooms.bottomBar->getSettingsButton(), false},
        {"the bar", rooms.bottomBar->getPanel(), true},
        {"port box", rooms.link->getPortControls()->getPortField(), true},
    };
    engine::Image before;
    ASSERT_TRUE(driver->capture(before));
    const auto expectClear = [&](const std::string& after) {
        const engine::Rect area = HitTest::worldBoundingBox(panel());
        EXPECT_TRUE(area.getMinX() >= 0 && area.getMinY() >= 0 && area.getMaxX() <= 1024 &&
                    area.getMaxY() <= 768)
            << "off the screen after " << after;
        for (const auto& control : controls) {
            const engine::Rect box = HitTest::worldBoundingBox(control.node);
            EXPECT_FALSE(area.intersectsRect(box)) << control.name << " covered after " << after;
            const Vec2 middle(box.getMidX(), box.getMidY());
            if (control.barOpen == rooms.bottomBar->isOpen()) {
                const Vec2 pixel = driver->toFrame(middle);
                EXPECT_EQ(driver->pixelAt(middle),
                          before.getPixel(static_cast<int>(pixel.x), static_cast<int>(pixel.y)))
                    << control.name << " drawn otherwise after " << after;
            }
        }
    };
    expectClear("the first place");
    for (const auto& control : controls) {
        if (control.barOpen && !rooms.bottomBar->isOpen()) {
            rooms.bottomBar->open();
            driver->advance(0.5f);
            ASSERT_TRUE(driver->capture(before));
        }
        const engine::Rect box = HitTest::worldBoundingBox(control.node);
        dragPanel(Vec2(box.getMidX(), box.getMidY()));
        expectClear(std::string("a drag towards ") + control.name);
    }
    dragPanel(Vec2(-400, -400));
    expectClear("a drag off the screen");
}

// Sent to, the panel shows; once a real board is chosen in the port list (its
// row found by the text it shows) it goes, even while the simulator still
// runs the program it was sent, and choosing the simulator again brings it
// back only with the next send. Catches a panel left showing a board that is
// not in use, and one that the running program's next step brings back.
TEST_F(InProcessBoardTest, ThePanelGoesWhenARealBoardIsChosenAndReturnsWithTheNextSend) {
    script->present = {{"/dev/ttyUSB0", "A", false}};
    openWithRows({0, 3, 1}); // LED 1, WAIT 3 s, LED 0
    ASSERT_TRUE(setup.serial->choosePort(InProcessBoard::kPortName));
    sendToSimulator();
    EXPECT_TRUE(panelDrawn());
    EXPECT_TRUE(lit(1)) << "the wait runs";

    const auto chooseInList = [this](const std::string& shown) {
        editor->getSession().rooms().bottomBar->open();
        driver->advance(0.3f);
        link().showPortList();
        PortListPopup* list = link().getPortList();
        ASSERT_NE(list, nullptr);
        for (engine::Node* row : list->getLayer()->getChildren()) {
            const auto* label = dynamic_cast<engine::Label*>(row);
            if (label && label->getString().find(shown) != std::string::npos) {
                tap(row->getParent()->convertToWorldSpace(row->getPosition()));
            }
        }
        link().waitForWorkers();
        driver->advance(0.5f);
        ASSERT_EQ(link().getPortList(), nullptr) << shown << " was not in the list";
    };
    chooseInList("A");
    ASSERT_FALSE(link().simulatorChosen());
    EXPECT_FALSE(panelDrawn());
    EXPECT_FALSE(lit(1)) << "a real board chosen: nothing knows which card runs";
    driver->advance(3.0f); // the simulator's program turns its LED off meanwhile
    EXPECT_FALSE(panelDrawn());

    chooseInList(EditorTexts::kScreenBoardName);
    ASSERT_TRUE(link().simulatorChosen());
    EXPECT_FALSE(panelDrawn()) << "shown before anything was sent to it";
    sendToSimulator();
    EXPECT_TRUE(panelDrawn());
}

// The simulator runs on while the child leaves and opens the editor again:
// the new editor's field did not send that program, so nothing is lit.
// Catches rows lit from an earlier editor's send.
TEST_F(InProcessBoardTest, AnEditorOpenedWhileTheSimulatorRunsLightsNothing) {
    const std::vector<int> rows{0, 3, 1, 3}; // LED 1, WAIT 3 s, LED 0, WAIT 3 s
    openWithRows(rows);
    ASSERT_TRUE(setup.serial->choosePort(InProcessBoard::kPortName));
    sendToSimulator();
    ASSERT_TRUE(lit(1));
    openWithRows(rows);
    driver->advance(3.0f);
    ASSERT_FALSE(board->outputs().led()) << "the program should be in its second wait";
    EXPECT_FALSE(lit(1) || lit(3));
}

} // namespace
