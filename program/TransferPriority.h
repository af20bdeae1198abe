#pragma once

#include "program/RealtimeKit.h"
#include "program/TransferClock.h"

#include <memory>

namespace pavlune {

// What the system does for a sending thread during one transfer: puts it
// ahead of a busy machine's other work and wakes it at a deadline as closely
// as it can. One implementation per platform, chosen by the build:
// TransferThreadPriority (Linux), WindowsTransferPriority, and one that only
// sleeps (the browser). Make, use and destroy on the thread that sends; the
// destructor puts the thread back as it was.
class TransferPriority {
public:
    TransferPriority() = default;
    virtual ~TransferPriority() = default;
    TransferPriority(const TransferPriority&) = delete;
    TransferPriority& operator=(const TransferPriority&) = delete;

    // Once; later calls change nothing.
    virtual void raise() = 0;
    // Raises, then returns at `deadline` (a time of the steady clock) or just
    // after it, never before.
    virtual void sleepUntil(TransferClock::TimePoint deadline) = 0;

    // This platform's. `kit` (may be null, outlives the result) is asked
    // where the system refuses real-time scheduling; only Linux has one.
    static std::unique_ptr<TransferPriority> forThisSystem(RealtimeKit* kit);
    // The system's real-time broker, or null where there is none.
    static std::unique_ptr<RealtimeKit> systemKit();
};

} // namespace pavlune
