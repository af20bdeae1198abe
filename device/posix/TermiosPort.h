#pragma once

#include "device/PortOpenError.h"
#include "device/PortWriteError.h"
#include "device/SerialBackend.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace pavlune {

// One serial device opened the POSIX way: read-write, never as the
// controlling terminal, exclusively (TIOCEXCL plus an advisory lock, so a
// second program cannot open it while we hold it), in raw mode at 115200 8N1
// without flow control.
class TermiosPort {
public:
    explicit TermiosPort(std::chrono::milliseconds writeDeadline = SerialBackend::kWriteDeadline)
        : writeDeadline_(writeDeadline) {}
    TermiosPort(const TermiosPort&) = delete;
    TermiosPort& operator=(const TermiosPort&) = delete;
    ~TermiosPort();

    // Closes the open device first. Refuses anything but a terminal (a regular
    // file or /dev/null would swallow a program and report success), a device
    // held by someone else, and one that cannot be opened; then no device is
    // open and the result says why. Never creates or truncates a file.
    PortOpenError open(const std::string& path);
    // Writes one byte. Fails with the system's reason, or with the write
    // deadline when the line has had no room for it that long (a stalled
    // adapter, a board that never reads), so no caller ever waits longer.
    PortWriteError writeByte(std::uint8_t byte);
    // What has arrived, at most `limit` bytes, without waiting.
    std::string readWaiting(std::size_t limit);
    void close();
    bool isOpen() const { return fd_ >= 0; }

private:
    std::chrono::milliseconds writeDeadline_;
    int fd_ = -1;
};

} // namespace pavlune
