#include "sim/BoardProgram.h"

namespace pavlune {

std::optional<BoardClock::TimePoint> BoardProgram::advance(BoardClock::TimePoint now) {
    for (int statements = 0; !ended_ && statements < kStatementsPerTurn; ++statements) {
        if (now < wake_) {
            return wake_;
        }
        const Step result = step();
        if (result.kind == Step::Kind::end) {
            ended_ = true;
        } else if (result.kind == Step::Kind::wait) {
            wake_ += result.wait;
        }
    }
    if (ended_) {
        return std::nullopt;
    }
    // A busy loop: the board is as fast as it is, the line still gets read.
    wake_ = now;
    return now;
}

} // namespace pavlune
