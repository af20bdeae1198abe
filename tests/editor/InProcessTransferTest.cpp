// A send into the board in the editor's own process, on the headless engine's
// virtual clock: the bytes go in at the schedule's pace, and a stop asked for
// during a pause ends the send at once.
#include "catalogue/CardSet.h"
#include "editor/link/InProcessBoard.h"
#include "engine/2d/Scene.h"
#include "engine/platform/HeadlessDriver.h"
#include "program/PolledTransfer.h"
#include "program/TransferSchedule.h"
#include "tests/program/FieldRowsBuilder.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {

using pavlune::testing::card;

class InProcessTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver = std::make_unique<engine::HeadlessDriver>();
        driver->runWithScene(engine::Scene::create());
        fresh();
    }
    void TearDown() override {
        transfer.reset();
        board.reset();
        driver.reset();
    }
    void fresh() {
        transfer.reset();
        board = std::make_unique<InProcessBoard>();
        transfer = board->makeTransfer(nullptr);
        done = 0;
        failure.reset();
    }
    // Frames until the transfer ends (a minute at most); the seconds they took.
    double runToEnd() {
        double seconds = 0;
        while (transfer->poll() && seconds < 60) {
            driver->step(0.01f);
            seconds += 0.01;
        }
        return seconds;
    }

    std::unique_ptr<engine::HeadlessDriver> driver;
    std::unique_ptr<InProcessBoard> board;
    std::unique_ptr<pavlune::PolledTransfer> transfer;
    int done = 0;
    std::optional<pavlune::TransferFailure::Kind> failure;
};

// One LED card in each dialect: the send lasts as long as its schedule's
// pauses, hand-summed from the card reference (the last byte's own pause
// ends nothing), and only then is the LED on:
//   jam   0.5 s after the break, 50 ms a character of "\nOUT0\n",
//         "\n\n\n\n\nNEW\r\n", "10 LED 1\r\n" and "RUN\r\n", 60 ms of "SAVE 0", 1 s
//         after its line feed: 3.41 s;
//   latte 20 ms after the break, 5 ms a character of the reset, "cat uart > .\n",
//         the declarations, "led(1);\n", the final wait and "ms .\n", 2 s after
//         0x04 and after its line feed: 4.42 s;
//   que   10 ms a byte of the 512-byte image: 5.12 s.
// Catches pauses skipped (the send would end at once) and pauses counted
// from the wrong moment.
TEST_F(InProcessTransferTest, TheSendKeepsTheSchedulesPaceAndTheProgramRuns) {
    struct Case {
        pavlune::Dialect dialect;
        double seconds;
    };
    for (const Case& c : {Case{pavlune::jam, 3.41}, Case{pavlune::latte, 4.42}, Case{pavlune::que, 5.12}}) {
        fresh();
        const pavlune::CatalogueView view(c.dialect, pavlune::basic);
        transfer->startSend(
            view, pavlune::testing::oneSlotRows({card(pavlune::basic, 0)}),
            [this](const pavlune::TransferFailure& f) { failure = f.kind; }, [this] { ++done; });
        const double took = runToEnd();
        EXPECT_NEAR(took, c.seconds, 0.08) << c.dialect;
        EXPECT_EQ(done, 1) << c.dialect;
        driver->step(0.01f);
        EXPECT_TRUE(board->outputs().led()) << c.dialect;
    }
}

// Stop during the jam break's half-second pause: the send ends as stopped on
// the next frame, not when the pause is over, and the program never runs.
// Catches a stop honoured only after the pause.
TEST_F(InProcessTransferTest, AStopDuringAPauseEndsTheSendAtOnce) {
    transfer->startSend(
        pavlune::CatalogueView(pavlune::jam, pavlune::basic),
        pavlune::testing::oneSlotRows({card(pavlune::basic, 0)}),
        [this](const pavlune::TransferFailure& f) { failure = f.kind; }, [this] { ++done; });
    driver->step(0.1f);
    ASSERT_TRUE(transfer->poll());
    transfer->requestStop();
    driver->step(0.01f);
    EXPECT_FALSE(transfer->poll());
    EXPECT_EQ(failure, pavlune::TransferFailure::Kind::stopped);
    EXPECT_EQ(done, 0);
    driver->step(1.0f);
    EXPECT_FALSE(board->outputs().led());
}

// A que board hears no stop on the line; the one in the editor is reset
// instead of the child being told to press a button it does not have.
// Catches the real board's "press reset" failure shown for the simulator.
TEST_F(InProcessTransferTest, StopInQueResetsTheBoard) {
    const pavlune::CatalogueView view(pavlune::que, pavlune::basic);
    transfer->startSend(view, pavlune::testing::oneSlotRows({card(pavlune::basic, 0)}), nullptr, [] {});
    runToEnd();
    driver->step(0.01f);
    ASSERT_TRUE(board->outputs().led());
    transfer->startStop(
        view, [this](const pavlune::TransferFailure& f) { failure = f.kind; }, [this] { ++done; });
    EXPECT_EQ(done, 1);
    EXPECT_EQ(failure, std::nullopt);
    EXPECT_FALSE(board->outputs().led());
}

} // namespace
