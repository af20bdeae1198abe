#pragma once

#include "sim/BoardChange.h"

#include <iosfwd>
#include <optional>
#include <string_view>

namespace pavlune {

// The --lines reports: which line the board runs, one report on standard
// output whenever that changes (after each turn of the board), for an editor
// that lights the card being run.
//   "line P N"  the board's P-th program runs line N (BoardProgram::runningLine's
//               numbering); programs are counted from 1 since the simulator
//               started, and a statement typed at the prompt is none;
//   "line P -"  program P runs no line any more: it ended, was stopped or
//               was replaced by program P + 1.
// P tells a program from the next one, which may run the same lines.
class LineReport {
public:
    struct Line {
        int program = 0;
        std::optional<int> line;
        bool operator==(const Line&) const = default;
    };

    explicit LineReport(std::ostream& output);

    // Every change the board makes: a RUN starts the next program, a STOP
    // or END ends the running one.
    void changed(const BoardChange& change);
    // After each turn: the line the board runs now (BoardSimulator::runningLine).
    void update(std::optional<int> runningLine);

    // One report as written (without its line end); nothing for any other text.
    static std::optional<Line> parse(std::string_view text);

private:
    void write();

    std::ostream& output_;
    Line current_;
    std::optional<Line> written_;
};

} // namespace pavlune
