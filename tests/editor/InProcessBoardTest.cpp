// The board simulator in the editor's own process, on the real editor screen
// and the virtual clock: a program sent to it runs, the field lights the row
// whose card is running as it advances, and the board's panel shows the LED.
#include "editor/link/InProcessBoard.h"

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/link/BoardLink.h"
#include "editor/link/BoardPanel.h"
#include "editor/link/BoardWatch.h"
#include "editor/link/LinkSetup.h"
#include "engine/base/Value.h"
#include "program/VirtualTransferClock.h"
#include "tests/device/FakeSerialBackend.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/editor/ProgramEditorFixture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using engine::Color4B;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;
using engine::Vec2;

namespace {

// The light's colour, and where it shows for row r: right of the slot
// (230 units wide, centred on the card's x), inside the light's 14-unit margin.
const Color4B kLit(255, 214, 0, 255);
Vec2 lightSpot(int row) {
    return {kRowCardX + 115 + 7, rowScreenY(row)};
}

class InProcessBoardTest : public ProgramEditorTest {
protected:
    void SetUp() override {
        ProgramEditorTest::SetUp();
        auto script = std::make_shared<pavlune::FakeSerialBackend::Script>();
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
    bool lit(int row) const { return driver->pixelAt(lightSpot(row)) == kLit; }

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
    driver->saveFrame("/tmp/sim-lit1.png");
    EXPECT_TRUE(lit(1));
    EXPECT_FALSE(lit(3));
    const BoardPanel* panel = editor->getSession().rooms().boardWatch->panel();
    ASSERT_TRUE(panel && panel->isVisible());
    const engine::Rect led = panel->led()->getBoundingBox();
    const Vec2 ledCentre = panel->convertToWorldSpace(Vec2(led.getMidX(), led.getMidY()));
    EXPECT_EQ(driver->pixelAt(ledCentre), Color4B(240, 30, 30, 255));

    driver->advance(1.0f);
    driver->saveFrame("/tmp/sim-lit3.png");
    EXPECT_FALSE(lit(1));
    EXPECT_TRUE(lit(3));
    EXPECT_NE(driver->pixelAt(ledCentre), Color4B(240, 30, 30, 255));

    driver->advance(1.0f);
    EXPECT_FALSE(lit(1) || lit(3));
}

} // namespace

// The panel can be dragged over the field but never onto the run buttons'
// panel, where it would hide play and stop. Catches a drag that ignores the
// kept area, and one that lets the panel leave the screen.
TEST_F(InProcessBoardTest, ThePanelMovesButNeverOverTheRunButtons) {
    openWithRows({0});
    BoardPanel* panel = editor->getSession().rooms().boardWatch->panel();
    ASSERT_TRUE(panel);
    const engine::Rect runPanel(874, 184, 150, 400); // 150 x 400 at the right edge, centred
    const Vec2 start = panel->getPosition();
    EXPECT_TRUE(panel->moveBy(Vec2(-100, 50)));
    EXPECT_EQ(panel->getPosition(), start + Vec2(-100, 50));
    for (int step = 0; step < 100; ++step) {
        panel->moveBy(Vec2(10, 10));
    }
    const engine::Rect area(panel->getPosition(), panel->getContentSize());
    EXPECT_FALSE(area.intersectsRect(runPanel));
    EXPECT_FALSE(panel->moveBy(Vec2(-2000, 0)));
}
