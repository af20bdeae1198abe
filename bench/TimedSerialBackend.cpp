#include "bench/TimedSerialBackend.h"

bool TimedSerialBackend::writeByte(std::uint8_t byte) {
    const bool written = inner_->writeByte(byte);
    const TimePoint at = std::chrono::steady_clock::now();
    if (written) {
        std::lock_guard lock(mutex_);
        writeTimes_.push_back(at);
    }
    return written;
}

std::vector<TimedSerialBackend::TimePoint> TimedSerialBackend::writeTimes() const {
    std::lock_guard lock(mutex_);
    return writeTimes_;
}
