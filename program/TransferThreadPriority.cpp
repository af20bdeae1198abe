#include "program/TransferThreadPriority.h"

#include "program/DBusRealtimeKit.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pavlune {

namespace {

// The sleep ends this long before the deadline and the rest is spent reading
// the clock, so the wake-up's own delay does not make the byte late. Longer
// than a wake-up takes on a quiet machine with the smallest timer slack.
constexpr auto kSpinMargin = std::chrono::microseconds(200);

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

// The broker requires the process's real-time limit (soft and hard) at or
// below its own; only ever lowered.
bool limitRealTimeRun(long long micros) {
    rlimit limit{};
    if (micros <= 0 || getrlimit(RLIMIT_RTTIME, &limit) != 0) {
        return false;
    }
    const auto most = static_cast<rlim_t>(micros);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= most && limit.rlim_cur <= limit.rlim_max) {
        return true;
    }
    limit.rlim_max = limit.rlim_max == RLIM_INFINITY ? most : std::min(limit.rlim_max, most);
    limit.rlim_cur = limit.rlim_max;
    return setrlimit(RLIMIT_RTTIME, &limit) == 0;
}

} // namespace

std::unique_ptr<TransferPriority> TransferPriority::forThisSystem(RealtimeKit* kit) {
    return std::make_unique<TransferThreadPriority>(kit);
}

std::unique_ptr<RealtimeKit> TransferPriority::systemKit() {
    return std::make_unique<DBusRealtimeKit>();
}

TransferThreadPriority::TransferThreadPriority(RealtimeKit* kit) : kit_(kit) {}

TransferThreadPriority::~TransferThreadPriority() {
    switch (raised_) {
    case Raised::realTime:
        pthread_setschedparam(self_, savedPolicy_, &savedParam_);
        break;
    case Raised::realTimeByKit:
        // The broker sets SCHED_RESET_ON_FORK, which only a privileged thread
        // may clear: going back keeps it.
        pthread_setschedparam(self_, savedPolicy_ | SCHED_RESET_ON_FORK, &savedParam_);
        break;
    case Raised::shortSlice:
        if (SchedAttributes attributes{}; readAttributes(thread_, attributes)) {
            attributes.sched_runtime = savedSlice_;
            writeAttributes(thread_, attributes);
        }
        break;
    case Raised::nothing:
        break;
    }
}

void TransferThreadPriority::raise() {
    if (tried_) {
        return;
    }
    tried_ = true;
    // Through pthread's calls, which remember what they set and answer from that.
    self_ = pthread_self();
    thread_ = static_cast<pid_t>(syscall(SYS_gettid));
    if (pthread_getschedparam(self_, &savedPolicy_, &savedParam_) != 0) {
        return;
    }
    savedPolicy_ &= ~SCHED_RESET_ON_FORK;
    if (savedPolicy_ == SCHED_FIFO || savedPolicy_ == SCHED_RR) {
        return; // already real-time: the caller chose its priority
    }
    sched_param raisedParam{};
    raisedParam.sched_priority = std::max(kPriority, sched_get_priority_min(SCHED_FIFO));
    if (pthread_setschedparam(self_, SCHED_FIFO, &raisedParam) == 0) {
        raised_ = Raised::realTime;
    } else if (askKit()) {
        raised_ = Raised::realTimeByKit;
    } else if (shortenSlice()) {
        raised_ = Raised::shortSlice;
    }
}

void TransferThreadPriority::sleepUntil(TransferClock::TimePoint deadline) {
    // The kernel may otherwise defer a wake-up by 50 us to batch timers; a
    // transfer thread wants its deadlines kept. Per thread, so set it once here.
    thread_local const bool exactWakeUps = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)exactWakeUps;
    raise();
    if (deadline - std::chrono::steady_clock::now() > kSpinMargin) {
        sleepUntilMonotonic(deadline - kSpinMargin);
    }
    while (std::chrono::steady_clock::now() < deadline) {
        // a few hundred microseconds at most; another sleep could not wake in time
    }
}

bool TransferThreadPriority::askKit() {
    RealtimeKit::Limits limits;
    if (!kit_ || !kit_->readLimits(limits) || limits.maxPriority < 1 ||
        !limitRealTimeRun(limits.rtTimeMicrosMax)) {
        return false;
    }
    const int priority = std::min(kPriority, limits.maxPriority);
    return kit_->makeThreadRealtime(static_cast<std::uint64_t>(thread_),
                                    static_cast<std::uint32_t>(priority));
}

bool TransferThreadPriority::shortenSlice() {
    SchedAttributes attributes{};
    if (!readAttributes(thread_, attributes) || attributes.sched_policy != SCHED_OTHER) {
        return false;
    }
    savedSlice_ = attributes.sched_runtime;
    attributes.sched_runtime = kShortSlice;
    return writeAttributes(thread_, attributes);
}

} // namespace pavlune
