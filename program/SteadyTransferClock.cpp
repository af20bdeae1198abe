#include "program/SteadyTransferClock.h"

#include <thread>
#include <utility>

#if defined(__linux__)
#include "program/DBusRealtimeKit.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>
#elif defined(_WIN32)
#include <windows.h>
#endif

namespace pavlune {

#if defined(__linux__)
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

} // namespace
#elif defined(_WIN32)
namespace {

// A sleep with the 1 ms timer resolution may still end a period late; the
// last stretch is read off the clock instead.
constexpr auto kSpinMargin = std::chrono::milliseconds(2);

} // namespace
#endif

#if defined(__linux__)
SteadyTransferClock::SteadyTransferClock() : SteadyTransferClock(std::make_unique<DBusRealtimeKit>()) {}
#else
SteadyTransferClock::SteadyTransferClock() = default;
#endif

SteadyTransferClock::SteadyTransferClock(std::unique_ptr<RealtimeKit> kit) : kit_(std::move(kit)) {}

SteadyTransferClock::~SteadyTransferClock() = default;

TransferClock::TimePoint SteadyTransferClock::now() {
#if defined(__linux__) || defined(_WIN32)
    // Before the schedule's start is read, so that asking the broker (a few
    // ms on a busy machine) does not make the first byte late.
    priority_.raise();
#endif
    return std::chrono::steady_clock::now();
}

void SteadyTransferClock::sleepUntil(TimePoint deadline) {
#if defined(__linux__)
    // The kernel may otherwise defer a wake-up by 50 us to batch timers; a
    // transfer thread wants its deadlines kept. Per thread, so set it once here.
    thread_local const bool exactWakeUps = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)exactWakeUps;
    priority_.raise();
    if (deadline - now() > kSpinMargin) {
        sleepUntilMonotonic(deadline - kSpinMargin);
    }
    while (now() < deadline) {
        // a few hundred microseconds at most; another sleep could not wake in time
    }
#elif defined(_WIN32)
    priority_.raise();
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
