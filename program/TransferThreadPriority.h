#pragma once

#include "program/RealtimeKit.h"
#include "program/TransferPriority.h"

#include <cstdint>
#include <pthread.h>
#include <sched.h>
#include <sys/types.h>

namespace pavlune {

// Puts the calling thread ahead of a busy machine's other work for one
// transfer, in the first way the system allows:
// 1. real-time scheduling (SCHED_FIFO, lowest priority) where RLIMIT_RTPRIO
//    or CAP_SYS_NICE allows it;
// 2. otherwise real-time scheduling granted by RealtimeKit, as desktop audio
//    gets it for an ordinary user: the process's RLIMIT_RTTIME is first
//    lowered to the broker's limit, as the broker requires, and the lowest
//    priority it grants is asked for;
// 3. otherwise the shortest time slice of the normal policy (Linux 6.12 and
//    later), which lets the thread preempt busy work as soon as it wakes.
// RLIMIT_RTTIME counts a real-time thread's processor time between blocking
// calls; a transfer thread sleeps before every byte, so it stays far below
// any broker's limit and keeps the priority for the whole transfer.
// A sleep ends shortly before its deadline and reads the clock up to it, with
// the smallest timer slack.
// The destructor puts the thread back as it was. Linux's TransferPriority;
// make, raise and destroy on the thread that sends.
class TransferThreadPriority : public TransferPriority {
public:
    enum class Raised { nothing, realTime, realTimeByKit, shortSlice };

    // `kit` null: real-time only where the system allows it directly.
    explicit TransferThreadPriority(RealtimeKit* kit);
    ~TransferThreadPriority() override;
    TransferThreadPriority(const TransferThreadPriority&) = delete;
    TransferThreadPriority& operator=(const TransferThreadPriority&) = delete;

    void raise() override;
    void sleepUntil(TransferClock::TimePoint deadline) override;
    Raised raised() const { return raised_; }

    // The real-time priority asked for, directly and of the broker.
    static constexpr int kPriority = 1;

private:
    bool askKit();
    bool shortenSlice();

    RealtimeKit* kit_;
    bool tried_ = false;
    Raised raised_ = Raised::nothing;
    pthread_t self_{};
    pid_t thread_ = 0;
    int savedPolicy_ = SCHED_OTHER;
    sched_param savedParam_{};
    std::uint64_t savedSlice_ = 0;
};

} // namespace pavlune
