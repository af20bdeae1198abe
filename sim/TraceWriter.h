#pragma once

#include "sim/BoardChange.h"

#include <iosfwd>

namespace pavlune {

// The --trace lines: one per change, with the seconds since the program's
// RUN ("1.000 LED 0"); before any RUN, since the trace began.
class TraceWriter {
public:
    TraceWriter(std::ostream& output, BoardClock::TimePoint began);

    void write(const BoardChange& change);

private:
    std::ostream& output_;
    BoardClock::TimePoint since_;
};

} // namespace pavlune
