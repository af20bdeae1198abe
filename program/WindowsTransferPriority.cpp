#include "program/WindowsTransferPriority.h"

#include <windows.h>

#include <thread>
#include <timeapi.h>

namespace pavlune {

namespace {

// A sleep with the 1 ms timer resolution may still end a period late; the
// last stretch is read off the clock instead.
constexpr auto kSpinMargin = std::chrono::milliseconds(2);

} // namespace

std::unique_ptr<TransferPriority> TransferPriority::forThisSystem(RealtimeKit* /*kit*/) {
    return std::make_unique<WindowsTransferPriority>();
}

std::unique_ptr<RealtimeKit> TransferPriority::systemKit() {
    return nullptr;
}

WindowsTransferPriority::~WindowsTransferPriority() {
    if (priorityRaised_) {
        SetThreadPriority(GetCurrentThread(), savedPriority_);
    }
    if (periodRaised_) {
        timeEndPeriod(1);
    }
}

void WindowsTransferPriority::raise() {
    if (tried_) {
        return;
    }
    tried_ = true;
    periodRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    savedPriority_ = GetThreadPriority(GetCurrentThread());
    priorityRaised_ = savedPriority_ != THREAD_PRIORITY_ERROR_RETURN &&
                      SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST) != 0;
}

void WindowsTransferPriority::sleepUntil(TransferClock::TimePoint deadline) {
    raise();
    if (deadline - std::chrono::steady_clock::now() > kSpinMargin) {
        std::this_thread::sleep_until(deadline - kSpinMargin);
    }
    while (std::chrono::steady_clock::now() < deadline) {
        YieldProcessor();
    }
}

} // namespace pavlune
