// End to end through the editor's link: a pseudo-terminal board named as an
// extra port and the real serial backend; the pauses pass on the virtual
// clock (their schedule is BoardTransferTest's). The board must receive
// exactly the bytes of the card reference, written out here by hand.

#include "catalogue/CardSet.h"
#include "catalogue/DeviceManager.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "device/PlatformSerialBackend.h"
#include "device/posix/PtyBoard.h"
#include "editor/EditorChoices.h"
#include "editor/EditorTexts.h"
#include "editor/link/BoardLink.h"
#include "editor/link/LinkSetup.h"
#include "engine/2d/Layer.h"
#include "engine/2d/Scene.h"
#include "engine/base/Log.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/MessageBox.h"
#include "program/VirtualTransferClock.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace pavlune;

namespace {

struct PtyLink {
    explicit PtyLink(const std::string& device) {
        serial->setExtraPorts({device});
        scene->addChild(bar);
        driver.runWithScene(scene);
        DeviceManager::getInstance()->setCurrentDialect(jam);
        link.startSerial();
        link.waitForWorkers();
        driver.step();
        serial->choosePort(device);
    }

    void runToTheEnd() {
        while (link.isTransferring()) {
            link.waitForWorkers();
            driver.step();
        }
    }

    std::shared_ptr<PavluneCardSerialManager> serial{
        new PavluneCardSerialManager(createPlatformSerialBackend()),
        [](PavluneCardSerialManager* manager) { manager->release(); }};
    const LinkSetup setup{serial, [] { return std::make_unique<VirtualTransferClock>(); }};
    engine::HeadlessDriver driver;
    engine::Scene* scene = engine::Scene::create();
    engine::Layer* bar = engine::Layer::create();
    const FieldRows rows{{CardSlot{basic, 0, ""}}, {}, {CardSlot{basic, 1, ""}}};
    BoardLink link{
        scene, bar,
        BoardLinkHooks{nullptr, nullptr, [this] { return rows; }, [] { return EditorChoices().catalogue(); }},
        setup};
};

TEST(BoardLinkPtyTest, TheBoardReceivesTheProgramByteForByte) {
    PtyBoard board;
    ASSERT_TRUE(board.isOpen());
    PtyLink pty(board.devicePath());
    // Named on the command line, and no other board here: chosen by itself.
    const std::optional<SerialPortInfo> selected = pty.serial->getSelectedPort();
    ASSERT_TRUE(selected.has_value());
    EXPECT_EQ(selected->name, board.devicePath());

    pty.link.runOnBoard();
    ASSERT_TRUE(pty.link.isTransferring());
    pty.runToTheEnd();
    // Break, reset, a new program, a line per card numbered by its row (the
    // empty row 2 leaves out 20), saved to slot 0 and started.
    const std::string expected = "\x1B"
                                 "\nOUT0\n"
                                 "\n\n\n\n\nNEW\r\n"
                                 "10 LED 1\r\n"
                                 "30 LED 0\r\n"
                                 "SAVE 0\n"
                                 "RUN\r\n";
    ASSERT_TRUE(board.waitForBytes(expected.size(), 2s));
    EXPECT_EQ(board.received(), expected);
}

// Catches a write without a deadline: a line that stops draining would hold
// the send, the stop and the way back to the list for ever.
TEST(BoardLinkPtyTest, ALineThatStopsDrainingEndsTheSendWithThePortError) {
    PtyBoard board;
    ASSERT_TRUE(board.isOpen());
    PtyLink pty(board.devicePath());
    std::vector<std::string> messages;
    engine::setMessageBoxHandler(
        [&messages](const std::string& message, const std::string&) { messages.push_back(message); });
    board.stall();
    const engine::Log::Capture log;
    const auto start = std::chrono::steady_clock::now();
    pty.link.runOnBoard();
    pty.runToTheEnd();
    const auto took = std::chrono::steady_clock::now() - start;
    engine::setMessageBoxHandler(nullptr);
    EXPECT_LT(took, 3s + 2s);
    EXPECT_GE(took, 3s);
    EXPECT_EQ(messages, std::vector<std::string>{EditorTexts::kWriteFailedMessage}) << "the child's words";
    EXPECT_EQ(log.linesWith({"warning device", board.devicePath(), "within 3000 ms"}).size(), 1u)
        << "the log names the deadline that passed";
    EXPECT_EQ(pty.link.getSendingOverlay(), nullptr) << "one OK and the editor is back";
}

} // namespace
