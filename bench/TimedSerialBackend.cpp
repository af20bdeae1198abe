#include "bench/TimedSerialBackend.h"

#include <sched.h>

pavlune::PortWriteError TimedSerialBackend::writeByte(std::uint8_t byte) {
    pavlune::PortWriteError error = inner_->writeByte(byte);
    const TimePoint at = std::chrono::steady_clock::now();
    if (error.ok()) {
        const int policy = sched_getscheduler(0);
        std::lock_guard lock(mutex_);
        writeTimes_.push_back(at);
        lastWriterPolicy_ = policy;
    }
    return error;
}

int TimedSerialBackend::lastWriterPolicy() const {
    std::lock_guard lock(mutex_);
    return lastWriterPolicy_;
}

std::vector<TimedSerialBackend::TimePoint> TimedSerialBackend::writeTimes() const {
    std::lock_guard lock(mutex_);
    return writeTimes_;
}
