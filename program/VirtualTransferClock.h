#pragma once

#include "program/TransferClock.h"

#include <atomic>

namespace pavlune {

// A clock that moves only when told or when someone sleeps on it: a sleep
// jumps straight to its deadline. Lets tests run a whole transfer at once and
// still see every pause. Safe to read from another thread.
class VirtualTransferClock : public TransferClock {
public:
    TimePoint now() override;
    void sleepUntil(TimePoint deadline) override;
    void advance(Duration by);
    // Time since the clock was made.
    Duration elapsed() const;

private:
    std::atomic<Duration::rep> ticks_{0};
};

} // namespace pavlune
