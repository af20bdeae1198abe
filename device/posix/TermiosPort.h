#pragma once

#include "device/PortOpenError.h"

#include <cstdint>
#include <string>

namespace pavlune {

// One serial device opened the POSIX way: read-write, never as the
// controlling terminal, exclusively (TIOCEXCL plus an advisory lock, so a
// second program cannot open it while we hold it), in raw mode at 115200 8N1.
class TermiosPort {
public:
    TermiosPort() = default;
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;
    ~TermiosPort();

    // Closes the open device first. Refuses anything but a terminal (a regular
    // file or /dev/null would swallow a program and report success), a device
    // held by someone else, and one that cannot be opened; then no device is
    // open and the result says why. Never creates or truncates a file.
    PortOpenError open(const std::string& path);
    // One write call with one byte (repeated only when a signal interrupted it).
    bool writeByte(std::uint8_t byte);
    void close();
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace pavlune
