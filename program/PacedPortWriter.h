#pragma once

#include "program/TransferClock.h"

#include <cstdint>
#include <functional>

namespace pavlune {

// Writes single bytes and keeps the pauses between them against a schedule
// of absolute deadlines from the send's start: each byte occupies the line
// for its line time at 115200 baud, each pause adds its nominal length. A
// pause runs from the moment its byte was handed to the port, so the time
// spent inside a slow write (a USB driver's milliseconds) is part of the
// pause that follows it instead of being added to the send, and a late
// wake-up is taken back by the following pauses. Yet no write starts sooner
// after the one before than the nominal pause between them.
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
    // Waits until `milliseconds` after the last write began, and not before
    // the schedule (none when negative).
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
    // Where the next pause is measured from: when the last write began, or
    // the end of the pause before.
    TransferClock::TimePoint pauseFrom_;
    long long pausedMilliseconds_ = 0;
    long long bytesWritten_ = 0;
};

} // namespace pavlune
