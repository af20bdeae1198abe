#pragma once

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>

// Puts the calling thread on SCHED_FIFO at `priority` while it lives, where
// the system allows it. Threads started meanwhile inherit the policy: the
// benchmarks start their board's reader so, so that the reader's own wake-up
// delay does not count against the sender.
class RealTimeScope {
public:
    explicit RealTimeScope(int priority) : self_(pthread_self()) {
        if (pthread_getschedparam(self_, &policy_, &param_) != 0) {
            return;
        }
        sched_param raised{};
        raised.sched_priority = priority;
        raised_ = pthread_setschedparam(self_, SCHED_FIFO, &raised) == 0;
    }
    ~RealTimeScope() {
        if (raised_) {
            pthread_setschedparam(self_, policy_, &param_);
        }
    }
    RealTimeScope(const RealTimeScope&) = delete;
    RealTimeScope& operator=(const RealTimeScope&) = delete;

    bool raised() const { return raised_; }

    // RLIMIT_RTPRIO's soft limit, for the report.
    static long priorityLimit() {
        rlimit limit{};
        return getrlimit(RLIMIT_RTPRIO, &limit) == 0 ? static_cast<long>(limit.rlim_cur) : -1;
    }

private:
    pthread_t self_;
    int policy_ = SCHED_OTHER;
    sched_param param_{};
    bool raised_ = false;
};
