#pragma once

#include <chrono>

namespace pavlune {

// The time a transfer paces itself by: a steady clock and sleeping until an
// absolute moment on it. Tests substitute a virtual clock that never waits.
class TransferClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~TransferClock() = default;
    virtual TimePoint now() = 0;
    // Returns at `deadline` or soon after; at once when it has passed.
    virtual void sleepUntil(TimePoint deadline) = 0;
};

} // namespace pavlune
