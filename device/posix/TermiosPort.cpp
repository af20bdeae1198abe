#include "device/posix/TermiosPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace pavlune {

namespace {

// 115200 baud, 8 data bits, no parity, 1 stop bit, no parity checking, and raw:
// no output processing (a line feed leaves as the single byte 0x0A), no echo of
// what the board sends back, no signals. No software flow control either: a
// board that echoes what it gets would otherwise stop our output with the first
// XOFF byte (0x13) of the echo.
void configureLine(int fd) {
    termios line{};
    if (tcgetattr(fd, &line) != 0) {
        return;
    }
    line.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | INPCK |
                                           IXON | IXOFF | IXANY);
    line.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    line.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    line.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    // CLOCAL: a three-wire link has no carrier; writes must not wait for one.
    line.c_cflag |= CS8 | CREAD | CLOCAL;
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;
    cfsetispeed(&line, B115200);
    cfsetospeed(&line, B115200);
    // As on the other platform, a driver that refuses a setting still leaves an open port.
    tcsetattr(fd, TCSANOW, &line);
    // What came before this open is no answer to anything we send.
    tcflush(fd, TCIFLUSH);
}

} // namespace

TermiosPort::~TermiosPort() {
    close();
}

PortOpenError TermiosPort::open(const std::string& path) {
    close();
    // Non-blocking, so that a modem line without carrier cannot hold the open
    // and a line that stops draining cannot hold a write past its deadline.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return PortOpenError::fromErrno(errno);
    }
    const auto fail = [fd](PortOpenError error) {
        ::close(fd);
        return error;
    };
    // Asked of the open descriptor, so nothing can swap the file in between.
    if (!isatty(fd)) {
        return fail({PortOpenError::Kind::notATerminal, std::strerror(ENOTTY)});
    }
    // The multiplexer hands out a new pseudo-terminal at every open: bytes
    // written to its master end reach no board.
    if (int number = 0; ioctl(fd, TIOCGPTN, &number) == 0) {
        return fail({PortOpenError::Kind::notATerminal, "the master end of a pseudo-terminal"});
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        return fail({PortOpenError::Kind::busy, std::string("locked: ") + std::strerror(error)});
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        return fail(PortOpenError::fromErrno(errno));
    }
    configureLine(fd);
    fd_ = fd;
    return {};
}

PortWriteError TermiosPort::writeByte(std::uint8_t byte) {
    if (fd_ < 0) {
        return {PortWriteError::Kind::notOpen, "", {}};
    }
    const auto deadline = std::chrono::steady_clock::now() + writeDeadline_;
    for (;;) {
        const ssize_t written = ::write(fd_, &byte, 1);
        if (written == 1) {
            return {};
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written == 0) {
            return {PortWriteError::Kind::other, "the system took no byte", {}};
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return PortWriteError::fromErrno(errno);
        }
        // The line is full: wait for room, but never past the deadline.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return PortWriteError::deadlinePassed(writeDeadline_);
        }
        pollfd room{fd_, POLLOUT, 0};
        if (::poll(&room, 1, static_cast<int>(left.count()) + 1) < 0 && errno != EINTR) {
            return PortWriteError::fromErrno(errno);
        }
        if ((room.revents & POLLHUP) != 0) {
            return {PortWriteError::Kind::deviceGone, "the line hung up", {}};
        }
        if ((room.revents & (POLLERR | POLLNVAL)) != 0) {
            return {PortWriteError::Kind::other, "the line reported an error", {}};
        }
    }
}

std::string TermiosPort::readWaiting(std::size_t limit) {
    std::string received;
    char buffer[256];
    while (fd_ >= 0 && received.size() < limit) {
        const ssize_t count = ::read(fd_, buffer, std::min(sizeof(buffer), limit - received.size()));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break; // EAGAIN: nothing more waiting (the descriptor does not block)
        }
        received.append(buffer, static_cast<std::size_t>(count));
    }
    return received;
}

void TermiosPort::close() {
    if (fd_ < 0) {
        return;
    }
    // The exclusive mark can outlive our descriptor (a pseudo-terminal stays
    // while its other end is open), so take it off before letting go.
    if (isatty(fd_)) {
        ioctl(fd_, TIOCNXCL);
    }
    ::close(fd_);
    fd_ = -1;
}

} // namespace pavlune
