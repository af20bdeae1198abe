#pragma once

#include <chrono>

namespace pavlune {

// The time the simulated board runs its programs by. The program's own loop
// waits until the next moment a program asks for; tests set the time by hand.
class BoardClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~BoardClock() = default;
    virtual TimePoint now() const = 0;
};

// The real clock of the running simulator.
class SteadyBoardClock : public BoardClock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
};

// A clock that moves only when told: lets tests run a program's minutes at once.
class VirtualBoardClock : public BoardClock {
public:
    TimePoint now() const override { return now_; }
    void set(TimePoint moment) { now_ = moment; }
    void advance(Duration by) { now_ += by; }

private:
    TimePoint now_{};
};

} // namespace pavlune
