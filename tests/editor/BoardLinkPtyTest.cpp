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
#include "editor/link/BoardLink.h"
#include "editor/link/LinkSetup.h"
#include "engine/2d/Layer.h"
#include "engine/2d/Scene.h"
#include "engine/platform/HeadlessDriver.h"
#include "program/VirtualTransferClock.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace pavlune;

namespace {

TEST(BoardLinkPtyTest, TheBoardReceivesTheProgramByteForByte) {
    PtyBoard board;
    ASSERT_TRUE(board.isOpen());
    std::shared_ptr<PavluneCardSerialManager> serial(new PavluneCardSerialManager(createPlatformSerialBackend()),
                                                     [](PavluneCardSerialManager* manager) { manager->release(); });
    serial->setExtraPorts({board.devicePath()});
    const LinkSetup setup{serial, [] { return std::make_unique<VirtualTransferClock>(); }};

    engine::HeadlessDriver driver;
    engine::Scene* scene = engine::Scene::create();
    engine::Layer* bar = engine::Layer::create();
    scene->addChild(bar);
    driver.runWithScene(scene);
    DeviceManager::getInstance()->setCurrentDialect(jam);
    const FieldRows rows{{CardSlot{basic, 0, ""}}, {}, {CardSlot{basic, 1, ""}}};
    BoardLink link(scene, bar, BoardLinkHooks{nullptr, nullptr, [&rows] { return rows; }}, setup);
    link.startSerial();
    link.waitForWorkers();
    driver.step();

    // The search lists the board after whatever this machine has.
    const std::vector<SerialPortInfo> ports = serial->getPorts();
    ASSERT_FALSE(ports.empty());
    EXPECT_EQ(ports.back(), (SerialPortInfo{board.devicePath(), board.devicePath(), ports.size() == 1}));
    serial->setSelectedIndex(static_cast<int>(ports.size()) - 1);

    link.runOnBoard();
    ASSERT_TRUE(link.isTransferring());
    while (link.isTransferring()) {
        link.waitForWorkers();
        driver.step();
    }
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

} // namespace
