#include "bench/TimedSerialBackend.h"

#include <sched.h>

bool TimedSerialBackend::writeByte(std::uint8_t byte) {
    const bool written = inner_->writeByte(byte);
    const TimePoint at = std::chrono::steady_clock::now();
    if (written) {
        const int policy = sched_getscheduler(0);
        std::lock_guard lock(mutex_);
        writeTimes_.push_back(at);
        lastWriterPolicy_ = policy;
    }
    return written;
}

int TimedSerialBackend::lastWriterPolicy() const {
    std::lock_guard lock(mutex_);
    return lastWriterPolicy_;
}

std::vector<TimedSerialBackend::TimePoint> TimedSerialBackend::writeTimes() const {
    std::lock_guard lock(mutex_);
    return writeTimes_;
}
