// Real-time runs of the send and stop routines against a pseudo-terminal
// board: the real port access, the real clock. Kept few and short.
#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "device/PlatformSerialBackend.h"
#include "device/posix/PtyBoard.h"
#include "program/BoardTransfer.h"
#include "program/SteadyTransferClock.h"
#include "program/TextTransferAssembler.h"
#include "program/VirtualTransferClock.h"

#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace pavlune;

namespace {

using namespace std::chrono_literals;

struct Outcome {
    int doneCalls = 0;
    int errorCalls = 0;
    TransferFailure error;
};

class BoardTransferPtyTest : public ::testing::Test {
protected:
    BoardTransferPtyTest() : serial(createPlatformSerialBackend()) {
        serial.addPort(board.devicePath(), "pseudo-terminal");
    }

    Outcome send(const FieldRows& rows, TransferClock* onClock = nullptr) {
        Outcome outcome;
        BoardTransfer transfer(serial, onClock ? *onClock : clock, stopRequested,
                               [this](const std::string& text) { shown += text; });
        transfer.sendProgram(
            CatalogueView(latte, basic), rows,
            [&](TransferFailure error) {
                ++outcome.errorCalls;
                outcome.error = std::move(error);
            },
            [&] { ++outcome.doneCalls; });
        return outcome;
    }

    PtyBoard board;
    PavluneCardSerialManager serial;
    SteadyTransferClock clock;
    std::atomic<bool> stopRequested{false};
    std::string shown;
};

// On the virtual clock: the schedule is BoardTransferTest's, and how closely
// the real clock keeps it is the serial timing benchmark's. Here: every byte
// arrives raw (a terminal left cooked would turn "\n" into "\r\n").
TEST_F(BoardTransferPtyTest, LatteSendArrivesWholeAndRaw) {
    ASSERT_TRUE(board.isOpen());
    const FieldRows rows{{CardSlot{full, 4, ""}}, {CardSlot{basic, 0, ""}}, {CardSlot{full, 5, ""}}};
    std::string expected;
    for (const SendUnit& unit :
         TextTransferAssembler(CatalogueView(latte, basic)).assembleTextTransfer(rows)) {
        expected += unit.text;
    }
    VirtualTransferClock virtualClock;
    const Outcome outcome = send(rows, &virtualClock);
    EXPECT_EQ(outcome.doneCalls, 1);
    EXPECT_EQ(outcome.errorCalls, 0);
    ASSERT_TRUE(board.waitForBytes(expected.size(), 2s));
    EXPECT_EQ(board.received(), expected);
}

TEST_F(BoardTransferPtyTest, LatteStopRoutineReachesTheBoard) {
    BoardTransfer transfer(serial, clock, stopRequested, nullptr);
    int done = 0;
    transfer.stopProgram(
        CatalogueView(latte, basic), [](TransferFailure) { FAIL(); }, [&] { ++done; });
    EXPECT_EQ(done, 1);
    ASSERT_TRUE(board.waitForBytes(18, 2s));
    EXPECT_EQ(board.received(), " ms\nout(0)\nexit()\n");
}

TEST_F(BoardTransferPtyTest, PortHeldByAnotherProgramDoesNotOpen) {
    {
        PavluneCardSerialManager otherProgram(createPlatformSerialBackend());
        otherProgram.addPort(board.devicePath(), "pseudo-terminal");
        ASSERT_TRUE(otherProgram.openSelectedPort());
        const Outcome outcome = send({{CardSlot{basic, 0, ""}}});
        EXPECT_EQ(outcome.errorCalls, 1);
        EXPECT_EQ(outcome.error.kind, TransferFailure::Kind::portNotOpened);
        EXPECT_EQ(outcome.error.port.kind, PortOpenError::Kind::busy) << outcome.error.port.describe();
        EXPECT_TRUE(board.received().empty());
    }
    EXPECT_TRUE(serial.openSelectedPort()) << "free again once the other program let go";
}

TEST_F(BoardTransferPtyTest, PortThatVanishedIsReportedAsNotOpened) {
    board.vanish();
    const Outcome outcome = send({{CardSlot{basic, 0, ""}}});
    EXPECT_EQ(outcome.doneCalls, 0);
    EXPECT_EQ(outcome.errorCalls, 1);
    EXPECT_EQ(outcome.error.kind, TransferFailure::Kind::portNotOpened);
    EXPECT_EQ(outcome.error.port.kind, PortOpenError::Kind::noSuchDevice) << outcome.error.port.describe();
}

TEST_F(BoardTransferPtyTest, BoardHangingUpMidSendIsAWriteFailure) {
    std::future<Outcome> sending = std::async(std::launch::async, [this] {
        return send({{CardSlot{basic, 0, ""}}});
    });
    ASSERT_TRUE(board.waitForBytes(5, 2s)); // inside the reset sequence, 5 ms apart
    board.hangUp();
    ASSERT_EQ(sending.wait_for(2s), std::future_status::ready);
    const Outcome outcome = sending.get();
    EXPECT_EQ(outcome.doneCalls, 0);
    EXPECT_EQ(outcome.errorCalls, 1);
    EXPECT_EQ(outcome.error.kind, TransferFailure::Kind::writeFailed);
}

} // namespace
