#pragma once

#include "program/TransferClock.h"

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#include <sys/types.h>

#include <cstdint>
#endif

namespace pavlune {

// The real clock: the system's steady clock, and sleeps against absolute
// deadlines on it so that early wake-ups and late ones do not add up.
//
// On Linux a sleep ends shortly before its deadline and reads the clock up to
// it, with the smallest timer slack. The first sleep also puts the sleeping
// thread on real-time scheduling (SCHED_FIFO, lowest priority) where the
// system allows it (RLIMIT_RTPRIO or CAP_SYS_NICE; silently not otherwise),
// so a wake-up and the write after it run ahead of a busy machine's other
// work. Without that right the thread asks instead for the shortest time
// slice of the normal policy (Linux 6.12 and later), which lets it preempt
// busy work as soon as it wakes. The clock puts the thread back as it was
// when destroyed.
//
// On Windows the first sleep asks for the 1 ms timer resolution and raises the
// thread's priority, both given back when the clock goes; a sleep ends shortly
// before its deadline and reads the clock up to it, as on Linux.
// Make one per transfer, on the thread that sends.
class SteadyTransferClock : public TransferClock {
public:
    SteadyTransferClock() = default;
    SteadyTransferClock(const SteadyTransferClock&) = delete;
    SteadyTransferClock& operator=(const SteadyTransferClock&) = delete;
    ~SteadyTransferClock() override;

    TimePoint now() override;
    void sleepUntil(TimePoint deadline) override;

private:
#if defined(__linux__)
    void raiseToRealTime();
    void shortenSlice();

    bool raiseTried_ = false;
    bool raised_ = false;
    pthread_t raisedThread_{};
    int savedPolicy_ = SCHED_OTHER;
    sched_param savedParam_{};
    bool sliceShortened_ = false;
    pid_t slicedThread_ = 0;
    std::uint64_t savedSlice_ = 0;
#elif defined(_WIN32)
    bool prepared_ = false;
    bool periodRaised_ = false;
    int savedPriority_ = 0;
#endif
};

} // namespace pavlune
