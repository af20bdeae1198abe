#include "sim/TraceWriter.h"

#include <chrono>
#include <cstdio>
#include <ostream>

namespace pavlune {

TraceWriter::TraceWriter(std::ostream& output, BoardClock::TimePoint began)
    : output_(output), since_(began) {}

void TraceWriter::write(const BoardChange& change) {
    if (change.kind == BoardChange::Kind::run) {
        since_ = change.at;
    }
    const double seconds = std::chrono::duration<double>(change.at - since_).count();
    char time[32];
    std::snprintf(time, sizeof time, "%.3f ", seconds);
    output_ << time << change.describe() << std::endl; // flushed: readers follow it live
}

} // namespace pavlune
