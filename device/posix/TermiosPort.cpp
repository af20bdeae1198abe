#include "device/posix/TermiosPort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace pavlune {

namespace {

// 115200 baud, 8 data bits, no parity, 1 stop bit, no parity checking, and raw:
// no output processing (a line feed leaves as the single byte 0x0A), no echo of
// what the board sends back, no signals. Flow control stays as the driver has it.
void configureLine(int fd) {
    termios line{};
    if (tcgetattr(fd, &line) != 0) {
        return;
    }
    line.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | INPCK);
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
}

} // namespace

TermiosPort::~TermiosPort() {
    close();
}

PortOpenError TermiosPort::open(const std::string& path) {
    close();
    // Non-blocking only for the open itself, so that a modem line without
    // carrier cannot hold us here; writes are blocking again below.
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
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        return fail({PortOpenError::Kind::busy, std::string("locked: ") + std::strerror(error)});
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        return fail(PortOpenError::fromErrno(errno));
    }
    configureLine(fd);
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return fail(PortOpenError::fromErrno(errno));
    }
    fd_ = fd;
    return {};
}

bool TermiosPort::writeByte(std::uint8_t byte) {
    if (fd_ < 0) {
        return false;
    }
    for (;;) {
        const ssize_t written = ::write(fd_, &byte, 1);
        if (written == 1) {
            return true;
        }
        if (written < 0 && errno == EINTR) {
            continue;
        }
        return false;
    }
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
