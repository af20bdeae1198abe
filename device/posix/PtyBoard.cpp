#include "device/posix/PtyBoard.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace pavlune {

PtyBoard::PtyBoard() {
    std::array<char, 256> name{};
    if (openpty(&master_, &slave_, name.data(), nullptr, nullptr) != 0) {
        master_ = slave_ = -1;
        return;
    }
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    devicePath_ = name.data();
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        vanish();
        return;
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];
    reader_ = std::thread([this] { readLoop(); });
}

PtyBoard::~PtyBoard() {
    vanish();
    if (wakeRead_ >= 0) {
        ::close(wakeRead_);
        ::close(wakeWrite_);
    }
}

void PtyBoard::readLoop() {
    std::array<std::uint8_t, 4096> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{{{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}}};
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        if ((fds[0].revents & POLLIN) == 0) {
            continue;
        }
        const ssize_t count = ::read(master_, buffer.data(), buffer.size());
        const auto now = std::chrono::steady_clock::now();
        if (count <= 0) {
            if (count < 0 && (errno == EINTR || errno == EAGAIN)) {
                continue;
            }
            return;
        }
        {
            std::lock_guard lock(mutex_);
            for (ssize_t i = 0; i < count; ++i) {
                arrivals_.push_back(Arrival{buffer[static_cast<std::size_t>(i)], now});
            }
        }
        arrived_.notify_all();
    }
}

void PtyBoard::stopReader() {
    if (reader_.joinable()) {
        const char stop = 0;
        [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_, &stop, 1);
        reader_.join();
    }
}

std::vector<PtyBoard::Arrival> PtyBoard::arrivals() const {
    std::lock_guard lock(mutex_);
    return arrivals_;
}

std::string PtyBoard::received() const {
    std::lock_guard lock(mutex_);
    std::string bytes;
    for (const Arrival& arrival : arrivals_) {
        bytes.push_back(static_cast<char>(arrival.byte));
    }
    return bytes;
}

bool PtyBoard::waitForBytes(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return arrivals_.size() >= count; });
}

termios PtyBoard::lineSettings() const {
    termios line{};
    tcgetattr(slave_, &line);
    return line;
}

bool PtyBoard::isExclusive() const {
    int exclusive = 0;
    return ioctl(slave_, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
}

bool PtyBoard::sendToDevice(std::uint8_t byte) {
    return master_ >= 0 && ::write(master_, &byte, 1) == 1;
}

void PtyBoard::stall() {
    if (slave_ >= 0) {
        tcflow(slave_, TCOOFF);
    }
}

void PtyBoard::hangUp() {
    stopReader();
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PtyBoard::vanish() {
    hangUp();
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
}

} // namespace pavlune
