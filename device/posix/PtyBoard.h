#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <termios.h>
#include <thread>
#include <vector>

namespace pavlune {

// A stand-in for the board on a pseudo-terminal: the device end is opened by
// name like a serial port, and a reader thread records every byte that
// arrives with its arrival time. For tests, benchmarks and trying the tool.
class PtyBoard {
public:
    struct Arrival {
        std::uint8_t byte;
        std::chrono::steady_clock::time_point at;
    };

    PtyBoard();
    PtyBoard(const PtyBoard&) = delete;
    PtyBoard& operator=(const PtyBoard&) = delete;
    ~PtyBoard();

    bool isOpen() const { return master_ >= 0; }
    // The path to open as the serial device, for example /dev/pts/3.
    const std::string& devicePath() const { return devicePath_; }

    std::vector<Arrival> arrivals() const;
    std::string received() const;
    // Waits until at least `count` bytes arrived or `timeout` passed.
    bool waitForBytes(std::size_t count, std::chrono::milliseconds timeout) const;

    // The line settings of the device end as its last opener left them.
    termios lineSettings() const;
    // Whether the device end is marked for exclusive use (TIOCEXCL).
    bool isExclusive() const;

    // The board answers one byte: it arrives at the device end.
    bool sendToDevice(std::uint8_t byte);
    // The line stops draining, as with an adapter that hangs: output on the
    // device end is suspended (as by an XOFF that no setting can undo), so
    // writes find no room.
    void stall();
    // Closes the board's end: writes on the device end fail from now on.
    void hangUp();
    // Closes both ends: the device path disappears.
    void vanish();

private:
    void readLoop();
    void stopReader();

    int master_ = -1;
    int slave_ = -1; // kept open so the board's end never sees a hang-up between opens
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::string devicePath_;
    std::thread reader_;

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<Arrival> arrivals_;
};

} // namespace pavlune
