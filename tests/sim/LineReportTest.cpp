// The --lines reports an editor follows to light the running card: written
// as the board goes from line to line of hand-written programs, and read back.
#include "sim/LineReport.h"

#include "tests/sim/SimBench.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace pavlune {
namespace {

using namespace std::chrono_literals;
using test::instruction;

// LED on, half a second, LED off, half a second, by hand in each dialect,
// with the line of each wait in the dialect's numbering (jam line number,
// latte file line from 1, que instruction from 0). It arrives twice, the
// second time while the first still waits, and then runs to its end.
// Catches programs not counted (the second would still be program 1), the
// replaced program left without its "-" (or the "-" after the new one's
// line), no "-" at the end, a line reported before the turn that reached it
// (the LED statement's line), and the same line written again each turn.
TEST(LineReportTest, EachProgramSaysItsLinesThenThatItIsOver) {
    struct Case {
        std::string program;
        const char* reports;
    };
    const Case cases[] = {
        {"\x1B"
         "10 LED 1\r\n20 WAIT 30\r\n30 LED 0\r\n40 WAIT 30\r\nRUN\r\n",
         "line 1 20\nline 1 -\nline 2 20\nline 2 40\nline 2 -\n"},
        {" cat uart > .\nled(1);\nsleep(500);\nled(0);\nsleep(500);\n\x04\nms .\n",
         "line 1 2\nline 1 -\nline 2 2\nline 2 4\nline 2 -\n"},
        {test::queImage(
             {instruction(0x01, 1), instruction(0x04, 30), instruction(0x01, 0), instruction(0x04, 30)}),
         "line 1 1\nline 1 -\nline 2 1\nline 2 3\nline 2 -\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        LineReport reports(out);
        test::Bench bench;
        bench.recorder.reports = &reports;
        bench.feed(c.program);
        bench.runFor(250ms);
        bench.feed(c.program);
        bench.runFor(5s);
        EXPECT_EQ(out.str(), c.reports);
    }
}

// Catches a parser that takes a trace line, program 0 (none has run), an
// extra field, or que's instruction 0 for "no line".
TEST(LineReportTest, ParsesReportsAndNothingElse) {
    using Line = LineReport::Line;
    EXPECT_EQ(LineReport::parse("line 12 -"), (Line{12, std::nullopt}));
    EXPECT_EQ(LineReport::parse("line 3 0"), (Line{3, 0}));
    for (const char* other : {"0.500 LED 0", "line 0 10", "line 1 20 4"}) {
        EXPECT_EQ(LineReport::parse(other), std::nullopt) << other;
    }
}

} // namespace
} // namespace pavlune
