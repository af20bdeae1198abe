#include "program/VirtualTransferClock.h"

namespace pavlune {

TransferClock::TimePoint VirtualTransferClock::now() {
    return TimePoint(Duration(ticks_.load()));
}

void VirtualTransferClock::sleepUntil(TimePoint deadline) {
    const Duration::rep target = deadline.time_since_epoch().count();
    Duration::rep current = ticks_.load();
    while (current < target && !ticks_.compare_exchange_weak(current, target)) {
    }
}

void VirtualTransferClock::advance(Duration by) {
    ticks_.fetch_add(by.count());
}

TransferClock::Duration VirtualTransferClock::elapsed() const {
    return Duration(ticks_.load());
}

} // namespace pavlune
