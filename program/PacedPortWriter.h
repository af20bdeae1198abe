#pragma once

#include "program/TransferClock.h"

#include <cstdint>
#include <functional>

namespace pavlune {

// Writes single bytes and keeps the pauses between them against a schedule
// of absolute deadlines: each byte occupies the line for its line time at
// 115200 baud, each pause adds its nominal length. A late wake-up is taken
// back by the next pause instead of adding up, yet no pause after a byte is
// ever shorter than nominal.
class PacedPortWriter {
public:
    using WriteFunction = std::function<bool(std::uint8_t)>;

    static constexpr long long baudRate = 115200;
    static constexpr long long bitsPerByte = 10; // start bit, 8 data bits, stop bit

    PacedPortWriter(WriteFunction write, TransferClock& clock);

    // The schedule starts now.
    void restart();
    // One write; true when the port took the byte.
    bool write(std::uint8_t byte);
    // Waits `milliseconds` after the last write (none when negative).
    void pause(int milliseconds);

    // Where the schedule stands: its start, plus every pause so far, plus the
    // line time of every byte written.
    TransferClock::TimePoint scheduledTime() const;
    // The line time of `bytes` bytes at 115200 baud, 8N1.
    static TransferClock::Duration lineTime(long long bytes);

private:
    WriteFunction write_;
    TransferClock& clock_;
    TransferClock::TimePoint start_;
    TransferClock::TimePoint lastWriteEnd_;
    long long pausedMilliseconds_ = 0;
    long long bytesWritten_ = 0;
};

} // namespace pavlune
