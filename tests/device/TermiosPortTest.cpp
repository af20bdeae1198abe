#include "device/posix/TermiosPort.h"

#include "device/posix/PtyBoard.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace pavlune;

namespace {

using namespace std::chrono_literals;

TEST(TermiosPortTest, OpensInRawModeAt115200EightNoneOne) {
    PtyBoard board;
    ASSERT_TRUE(board.isOpen());
    // Every setting starts wrong, so that each one below must be made.
    {
        const int fd = ::open(board.devicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        termios wrong{};
        ASSERT_EQ(tcgetattr(fd, &wrong), 0);
        // A pseudo-terminal keeps only 8 bits without parity, but keeps two stop bits.
        wrong.c_cflag |= CSTOPB;
        wrong.c_iflag |= INPCK;
        wrong.c_oflag |= OPOST;
        wrong.c_lflag |= ECHO | ICANON | ISIG;
        cfsetospeed(&wrong, B9600);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &wrong), 0);
        ::close(fd);
    }
    const termios before = board.lineSettings();
    ASSERT_TRUE(before.c_cflag & CSTOPB);
    ASSERT_TRUE(before.c_iflag & INPCK);
    ASSERT_TRUE(before.c_lflag & ICANON);
    TermiosPort port;
    ASSERT_TRUE(port.open(board.devicePath()).ok());
    const termios line = board.lineSettings();
    EXPECT_EQ(cfgetospeed(&line), static_cast<speed_t>(B115200));
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(line.c_iflag & INPCK, 0u);
    EXPECT_EQ(line.c_oflag & OPOST, 0u);
    EXPECT_EQ(line.c_lflag & (ECHO | ICANON | ISIG), 0u);

    // A line feed must leave as the one byte 0x0A, never as CR LF.
    for (std::uint8_t byte : {0x0A, 0x1B, 0x0D, 0x41, 0xFF}) {
        ASSERT_TRUE(port.writeByte(byte).ok());
    }
    ASSERT_TRUE(board.waitForBytes(5, 2s));
    EXPECT_EQ(board.received(), std::string("\x0A\x1B\x0D\x41\xFF", 5));
}

TEST(TermiosPortTest, HoldsTheDeviceExclusivelyUntilClosed) {
    PtyBoard board;
    TermiosPort first;
    TermiosPort second;
    ASSERT_TRUE(first.open(board.devicePath()).ok());
    EXPECT_TRUE(board.isExclusive());
    EXPECT_EQ(second.open(board.devicePath()).kind, PortOpenError::Kind::busy);
    EXPECT_FALSE(second.isOpen());
    EXPECT_FALSE(second.writeByte(0x41).ok());

    first.close();
    EXPECT_FALSE(board.isExclusive()) << "the exclusive mark is taken off on close";
    EXPECT_TRUE(second.open(board.devicePath()).ok());
    EXPECT_FALSE(first.open(board.devicePath()).ok());
}

TEST(TermiosPortTest, ReopeningTheSameDeviceReleasesTheFirstHandle) {
    PtyBoard board;
    TermiosPort port;
    ASSERT_TRUE(port.open(board.devicePath()).ok());
    EXPECT_TRUE(port.open(board.devicePath()).ok()) << "our own lock must not block our reopen";
    ASSERT_TRUE(port.writeByte('x').ok());
    ASSERT_TRUE(board.waitForBytes(1, 2s));
    EXPECT_EQ(board.received(), "x");
}

TEST(TermiosPortTest, DeviceThatVanishedOrNeverExistedDoesNotOpen) {
    std::string path;
    {
        PtyBoard board;
        path = board.devicePath();
        board.vanish();
    }
    TermiosPort port;
    EXPECT_FALSE(port.open(path).ok());
    const PortOpenError absent = port.open("/dev/pavlune-no-such-port");
    EXPECT_EQ(absent.kind, PortOpenError::Kind::noSuchDevice);
    EXPECT_EQ(absent.osText, "No such file or directory");
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.writeByte(0x41).kind, PortWriteError::Kind::notOpen);
}

TEST(TermiosPortTest, WriteFailsOnceTheFarEndHasClosed) {
    PtyBoard board;
    TermiosPort port;
    ASSERT_TRUE(port.open(board.devicePath()).ok());
    ASSERT_TRUE(port.writeByte('a').ok());
    board.hangUp();
    const PortWriteError gone = port.writeByte('b');
    EXPECT_EQ(gone.kind, PortWriteError::Kind::deviceGone);
    EXPECT_EQ(gone.osText, std::strerror(EIO)) << "what a terminal without its far end answers";
}

TEST(TermiosPortTest, AnXoffFromTheBoardDoesNotHoldTheOutput) {
    PtyBoard board;
    TermiosPort port;
    ASSERT_TRUE(port.open(board.devicePath()).ok());
    EXPECT_EQ(board.lineSettings().c_iflag & (IXON | IXOFF | IXANY), 0u);
    // An echoing board sends 0x13 back; with software flow control on, the
    // line would stop until a 0x11 that never comes.
    ASSERT_TRUE(board.sendToDevice(0x13));
    std::this_thread::sleep_for(50ms);
    ASSERT_TRUE(port.writeByte('Z').ok());
    ASSERT_TRUE(board.waitForBytes(1, 2s));
    EXPECT_EQ(board.received(), "Z");
}

TEST(TermiosPortTest, ALineThatIsNeverReadFailsTheWriteAtTheDeadline) {
    int master = -1;
    int device = -1;
    std::array<char, 256> name{};
    ASSERT_EQ(openpty(&master, &device, name.data(), nullptr, nullptr), 0);
    constexpr auto deadline = 300ms;
    TermiosPort port(deadline);
    ASSERT_TRUE(port.open(name.data()).ok());
    // Nobody reads the master end: the buffers fill up, then a write waits.
    PortWriteError error;
    auto lastStart = std::chrono::steady_clock::now();
    for (int i = 0; i < 1 << 20 && error.ok(); ++i) {
        lastStart = std::chrono::steady_clock::now();
        error = port.writeByte('x');
    }
    const auto waited = std::chrono::steady_clock::now() - lastStart;
    EXPECT_EQ(error.kind, PortWriteError::Kind::deadline) << "a full line must end the write";
    EXPECT_EQ(error.deadline, deadline);
    EXPECT_NE(error.describe().find("300 ms"), std::string::npos) << error.describe();
    EXPECT_GE(waited, deadline);
    EXPECT_LT(waited, deadline + 1s);
    port.close();
    ::close(device);
    ::close(master);
}

TEST(TermiosPortTest, ThePseudoTerminalMultiplexerIsRefused) {
    TermiosPort port;
    const PortOpenError refused = port.open("/dev/ptmx");
    EXPECT_EQ(refused.kind, PortOpenError::Kind::notATerminal);
    EXPECT_FALSE(port.isOpen());
}

TEST(TermiosPortTest, WriteBeforeOpenFails) {
    TermiosPort port;
    EXPECT_EQ(port.writeByte(0x00).kind, PortWriteError::Kind::notOpen);
}

} // namespace
