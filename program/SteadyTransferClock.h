#pragma once

#include "program/TransferClock.h"

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
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
// work; the clock puts the thread back on its own policy when destroyed.
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

    bool raiseTried_ = false;
    bool raised_ = false;
    pthread_t raisedThread_{};
    int savedPolicy_ = SCHED_OTHER;
    sched_param savedParam_{};
#endif
};

} // namespace pavlune
