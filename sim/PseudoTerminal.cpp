#include "sim/PseudoTerminal.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace pavlune {

PseudoTerminal::PseudoTerminal() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error_ = std::string("posix_openpt: ") + std::strerror(errno);
        return;
    }
    const char* name = nullptr;
    if (grantpt(master) != 0 || unlockpt(master) != 0 || (name = ptsname(master)) == nullptr) {
        error_ = std::string("pseudo-terminal: ") + std::strerror(errno);
        ::close(master);
        return;
    }
    devicePath_ = name;
    device_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (device_ < 0 || tcgetattr(device_, &settings) != 0) {
        error_ = devicePath_ + ": " + std::strerror(errno);
        ::close(master);
        if (device_ >= 0) {
            ::close(device_);
        }
        device_ = -1;
        return;
    }
    cfmakeraw(&settings);
    tcsetattr(device_, TCSANOW, &settings);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    master_ = master;
}

PseudoTerminal::~PseudoTerminal() {
    if (master_ >= 0) {
        ::close(master_);
    }
    if (device_ >= 0) {
        ::close(device_);
    }
}

std::string PseudoTerminal::readAvailable() {
    std::string bytes;
    std::array<char, 4096> buffer{};
    for (;;) {
        const ssize_t count = ::read(master_, buffer.data(), buffer.size());
        if (count > 0) {
            bytes.append(buffer.data(), static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        return bytes; // EAGAIN: nothing more for now
    }
}

void PseudoTerminal::write(char byte) {
    [[maybe_unused]] const ssize_t written = ::write(master_, &byte, 1);
}

} // namespace pavlune
