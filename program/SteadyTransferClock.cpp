#include "program/SteadyTransferClock.h"

#include <thread>

#if defined(__linux__)
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#elif defined(_WIN32)
#include <windows.h>

#include <timeapi.h>
#endif

namespace pavlune {

#if defined(__linux__)
namespace {

// The sleep ends this long before the deadline and the rest is spent reading
// the clock, so the wake-up's own delay does not make the byte late. Longer
// than a wake-up takes on a quiet machine with the smallest timer slack.
constexpr auto kSpinMargin = std::chrono::microseconds(200);

// The normal policy's shortest slice, in ns; the kernel clamps what it is given.
constexpr std::uint64_t kShortSlice = 100'000;

// The kernel's struct sched_attr (its header clashes with <sched.h>).
struct SchedAttributes {
    std::uint32_t size;
    std::uint32_t sched_policy;
    std::uint64_t sched_flags;
    std::int32_t sched_nice;
    std::uint32_t sched_priority;
    std::uint64_t sched_runtime; // the normal policy's slice, when set
    std::uint64_t sched_deadline;
    std::uint64_t sched_period;
    std::uint32_t sched_util_min;
    std::uint32_t sched_util_max;
};

bool readAttributes(pid_t thread, SchedAttributes& attributes) {
    attributes = SchedAttributes{};
    attributes.size = sizeof attributes;
    return syscall(SYS_sched_getattr, thread, &attributes, sizeof attributes, 0U) == 0;
}

bool writeAttributes(pid_t thread, SchedAttributes& attributes) {
    return syscall(SYS_sched_setattr, thread, &attributes, 0U) == 0;
}

// An absolute sleep on CLOCK_MONOTONIC (steady_clock's clock here): it wakes
// at the moment however often a signal interrupts it.
void sleepUntilMonotonic(TransferClock::TimePoint moment) {
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(moment.time_since_epoch());
    timespec target{};
    target.tv_sec = static_cast<time_t>(sinceEpoch.count() / 1'000'000'000);
    target.tv_nsec = static_cast<long>(sinceEpoch.count() % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
    }
}

} // namespace

SteadyTransferClock::~SteadyTransferClock() {
    if (raised_) {
        pthread_setschedparam(raisedThread_, savedPolicy_, &savedParam_);
    }
    if (SchedAttributes attributes{}; sliceShortened_ && readAttributes(slicedThread_, attributes)) {
        attributes.sched_runtime = savedSlice_;
        writeAttributes(slicedThread_, attributes);
    }
}

void SteadyTransferClock::raiseToRealTime() {
    raiseTried_ = true;
    const pthread_t self = pthread_self();
    if (pthread_getschedparam(self, &savedPolicy_, &savedParam_) != 0 || savedPolicy_ == SCHED_FIFO ||
        savedPolicy_ == SCHED_RR) {
        return; // already real-time: the caller chose its priority
    }
    sched_param raised{};
    raised.sched_priority = std::max(1, sched_get_priority_min(SCHED_FIFO));
    raised_ = pthread_setschedparam(self, SCHED_FIFO, &raised) == 0;
    raisedThread_ = self;
    if (!raised_) {
        shortenSlice();
    }
}

void SteadyTransferClock::shortenSlice() {
    const auto self = static_cast<pid_t>(syscall(SYS_gettid));
    SchedAttributes attributes{};
    if (!readAttributes(self, attributes) || attributes.sched_policy != SCHED_OTHER) {
        return;
    }
    savedSlice_ = attributes.sched_runtime;
    attributes.sched_runtime = kShortSlice;
    sliceShortened_ = writeAttributes(self, attributes);
    slicedThread_ = self;
}
#elif defined(_WIN32)
namespace {

// A sleep with the 1 ms timer resolution may still end a period late; the
// last stretch is read off the clock instead.
constexpr auto kSpinMargin = std::chrono::milliseconds(2);

} // namespace

SteadyTransferClock::~SteadyTransferClock() {
    if (prepared_) {
        SetThreadPriority(GetCurrentThread(), savedPriority_);
    }
    if (periodRaised_) {
        timeEndPeriod(1);
    }
}
#else
SteadyTransferClock::~SteadyTransferClock() = default;
#endif

TransferClock::TimePoint SteadyTransferClock::now() {
    return std::chrono::steady_clock::now();
}

void SteadyTransferClock::sleepUntil(TimePoint deadline) {
#if defined(__linux__)
    // The kernel may otherwise defer a wake-up by 50 us to batch timers; a
    // transfer thread wants its deadlines kept. Per thread, so set it once here.
    thread_local const bool exactWakeUps = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)exactWakeUps;
    if (!raiseTried_) {
        raiseToRealTime();
    }
    if (deadline - now() > kSpinMargin) {
        sleepUntilMonotonic(deadline - kSpinMargin);
    }
    while (now() < deadline) {
        // a few hundred microseconds at most; another sleep could not wake in time
    }
#elif defined(_WIN32)
    if (!prepared_) {
        prepared_ = true;
        periodRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        savedPriority_ = GetThreadPriority(GetCurrentThread());
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    }
    if (deadline - now() > kSpinMargin) {
        std::this_thread::sleep_until(deadline - kSpinMargin);
    }
    while (now() < deadline) {
        YieldProcessor();
    }
#else
    std::this_thread::sleep_until(deadline);
#endif
}

} // namespace pavlune
