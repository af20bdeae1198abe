#pragma once

#include "sim/BoardClock.h"

#include <optional>

namespace pavlune {

// A program the board runs, one statement at a time. Waits are kept against
// absolute moments (the previous wait's end plus the new wait), so late
// wake-ups do not add up.
class BoardProgram {
public:
    // A statement either goes straight on, waits, or ends the program.
    struct Step {
        enum class Kind { next, wait, end };
        Kind kind = Kind::next;
        BoardClock::Duration wait{};

        static Step next() { return {}; }
        static Step end() { return {Kind::end, {}}; }
        static Step waitFor(BoardClock::Duration duration) { return {Kind::wait, duration}; }
    };

    // A program that never waits still gives the rest of the simulator a turn
    // after this many statements.
    static constexpr int kStatementsPerTurn = 10000;

    virtual ~BoardProgram() = default;

    void start(BoardClock::TimePoint at) { wake_ = at; }
    // Runs every statement due by `now`. The moment of the next statement,
    // or nothing once the program has ended.
    std::optional<BoardClock::TimePoint> advance(BoardClock::TimePoint now);
    // A character that reached the board while the program runs.
    virtual void input(char) {}
    // The line of the statement run last (the one still waiting, during a
    // wait): the jam line number, the line of the latte file counted from
    // 1, the que instruction counted from 0. Nothing before the first.
    std::optional<int> runningLine() const { return runningLine_; }

protected:
    virtual Step step() = 0;
    void runningAt(int line) { runningLine_ = line; }

private:
    std::optional<int> runningLine_;
    BoardClock::TimePoint wake_{};
    bool ended_ = false;
};

} // namespace pavlune
