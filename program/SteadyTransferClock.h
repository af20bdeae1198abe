#pragma once

#include "program/RealtimeKit.h"
#include "program/TransferClock.h"

#include <memory>

#if defined(__linux__)
#include "program/TransferThreadPriority.h"
#elif defined(_WIN32)
#include "program/WindowsTransferPriority.h"
#endif

namespace pavlune {

// The real clock: the system's steady clock, and sleeps against absolute
// deadlines on it so that early wake-ups and late ones do not add up.
//
// On Linux a sleep ends shortly before its deadline and reads the clock up to
// it, with the smallest timer slack. The first use (a transfer reads the
// clock as it starts) also raises the calling thread's priority
// (TransferThreadPriority: real-time scheduling where the system allows it,
// else through RealtimeKit, else a short slice), so a wake-up and the write
// after it run ahead of a busy machine's other work.
//
// On Windows the first use asks for the 1 ms timer resolution and raises the
// thread's priority (WindowsTransferPriority); a sleep ends shortly before its
// deadline and reads the clock up to it, as on Linux.
// The clock puts the thread back as it was when destroyed.
// Make one per transfer, on the thread that sends.
class SteadyTransferClock : public TransferClock {
public:
    // RealtimeKit on the system bus, asked only where real-time scheduling is
    // refused.
    SteadyTransferClock();
    // `kit` null: no broker is asked.
    explicit SteadyTransferClock(std::unique_ptr<RealtimeKit> kit);
    SteadyTransferClock(const SteadyTransferClock&) = delete;
    SteadyTransferClock& operator=(const SteadyTransferClock&) = delete;
    ~SteadyTransferClock() override;

    TimePoint now() override;
    void sleepUntil(TimePoint deadline) override;

#if defined(__linux__)
    TransferThreadPriority::Raised raised() const {
        return priority_.raised();
    }
#endif

private:
    std::unique_ptr<RealtimeKit> kit_;
#if defined(__linux__)
    TransferThreadPriority priority_{kit_.get()};
#elif defined(_WIN32)
    WindowsTransferPriority priority_;
#endif
};

} // namespace pavlune
