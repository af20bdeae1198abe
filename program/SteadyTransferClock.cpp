#include "program/SteadyTransferClock.h"

#include <thread>

#if defined(__linux__)
#include <cerrno>
#include <ctime>
#include <sys/prctl.h>
#endif

namespace pavlune {

TransferClock::TimePoint SteadyTransferClock::now() {
    return std::chrono::steady_clock::now();
}

void SteadyTransferClock::sleepUntil(TimePoint deadline) {
#if defined(__linux__)
    // The kernel may otherwise defer a wake-up by 50 us to batch timers; a
    // transfer thread wants its deadlines kept. Per thread, so set it once here.
    thread_local const bool exactWakeUps = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)exactWakeUps;
    // steady_clock is CLOCK_MONOTONIC here; an absolute sleep on it wakes at
    // the deadline however often a signal interrupts it.
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch());
    timespec target{};
    target.tv_sec = static_cast<time_t>(sinceEpoch.count() / 1'000'000'000);
    target.tv_nsec = static_cast<long>(sinceEpoch.count() % 1'000'000'000);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
    }
#else
    std::this_thread::sleep_until(deadline);
#endif
}

} // namespace pavlune
