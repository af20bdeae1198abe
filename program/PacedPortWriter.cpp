#include "program/PacedPortWriter.h"

#include <algorithm>
#include <utility>

namespace pavlune {

PacedPortWriter::PacedPortWriter(WriteFunction write, TransferClock& clock)
    : write_(std::move(write)), clock_(clock) {
    restart();
}

void PacedPortWriter::restart() {
    start_ = clock_.now();
    pauseFrom_ = start_;
    pausedMilliseconds_ = 0;
    bytesWritten_ = 0;
}

bool PacedPortWriter::write(std::uint8_t byte) {
    const TransferClock::TimePoint began = clock_.now();
    const bool written = write_(byte);
    if (written) {
        ++bytesWritten_;
        pauseFrom_ = began;
    }
    return written;
}

void PacedPortWriter::pause(int milliseconds) {
    if (milliseconds < 0) {
        return;
    }
    pausedMilliseconds_ += milliseconds;
    pauseFrom_ = std::max(scheduledTime(), pauseFrom_ + std::chrono::milliseconds(milliseconds));
    clock_.sleepUntil(pauseFrom_);
}

TransferClock::TimePoint PacedPortWriter::scheduledTime() const {
    return start_ + std::chrono::milliseconds(pausedMilliseconds_) + lineTime(bytesWritten_);
}

TransferClock::Duration PacedPortWriter::lineTime(long long bytes) {
    // Computed from the whole count each time so rounding never accumulates.
    return std::chrono::duration_cast<TransferClock::Duration>(
        std::chrono::nanoseconds(bytes * bitsPerByte * 1'000'000'000 / baudRate));
}

} // namespace pavlune
