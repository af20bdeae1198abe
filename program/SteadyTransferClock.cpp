#include "program/SteadyTransferClock.h"

#include <utility>

namespace pavlune {

SteadyTransferClock::SteadyTransferClock() : SteadyTransferClock(TransferPriority::systemKit()) {}

SteadyTransferClock::SteadyTransferClock(std::unique_ptr<RealtimeKit> kit)
    : kit_(std::move(kit)), priority_(TransferPriority::forThisSystem(kit_.get())) {}

SteadyTransferClock::~SteadyTransferClock() = default;

TransferClock::TimePoint SteadyTransferClock::now() {
    // Before the schedule's start is read, so that asking the broker (a few
    // ms on a busy machine) does not make the first byte late.
    priority_->raise();
    return std::chrono::steady_clock::now();
}

void SteadyTransferClock::sleepUntil(TimePoint deadline) {
    priority_->sleepUntil(deadline);
}

} // namespace pavlune
