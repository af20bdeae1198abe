// The --lines reports an editor follows to light the running card: written
// as the board goes from line to line of hand-written programs, and read back.
#include "sim/LineReport.h"

#include "tests/sim/SimBench.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace pavlune {
namespace {

using namespace std::chrono_literals;
using test::Bench;
using test::instruction;
using test::queImage;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

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
        const char* name;
        std::string program;
        std::vector<std::string> reports;
    };
    const Case cases[] = {
        {"jam",
         "\x1B"
         "10 LED 1\r\n20 WAIT 30\r\n30 LED 0\r\n40 WAIT 30\r\nRUN\r\n",
         {"line 1 20", "line 1 -", "line 2 20", "line 2 40", "line 2 -"}},
        {"latte",
         " cat uart > .\nled(1);\nsleep(500);\nled(0);\nsleep(500);\n\x04\nms .\n",
         {"line 1 2", "line 1 -", "line 2 2", "line 2 4", "line 2 -"}},
        {"que",
         queImage({instruction(0x01, 1), instruction(0x04, 30), instruction(0x01, 0), instruction(0x04, 30)}),
         {"line 1 1", "line 1 -", "line 2 1", "line 2 3", "line 2 -"}},
    };
    for (const Case& c : cases) {
        std::ostringstream out;
        LineReport reports(out);
        Bench bench;
        bench.recorder.reports = &reports;
        bench.feed(c.program);
        bench.runFor(250ms);
        bench.feed(c.program);
        bench.runFor(5s);
        EXPECT_EQ(linesOf(out.str()), c.reports) << c.name;
    }
}

// The jam break stops the program where it waits; a statement typed at the
// prompt afterwards is no program. Catches a stop that is not reported and
// a typed statement counted as the next program.
TEST(LineReportTest, ABreakEndsTheProgramAndTypedStatementsAreNone) {
    std::ostringstream out;
    LineReport reports(out);
    Bench bench;
    bench.recorder.reports = &reports;
    bench.feed("\x1B"
               "10 LED 1\r\n20 WAIT 300\r\nRUN\r\n");
    bench.runFor(1s);
    bench.feed("\x1B");
    bench.runFor(1s);
    bench.feed("LED 1\r\n");
    bench.runFor(1s);
    EXPECT_EQ(linesOf(out.str()), (std::vector<std::string>{"line 1 20", "line 1 -"}));
}

// Catches a parser that takes a trace line, program 0 (none has run), a
// missing or extra field, or que's instruction 0 for "no line".
TEST(LineReportTest, ParsesReportsAndNothingElse) {
    using Line = LineReport::Line;
    struct Case {
        const char* text;
        std::optional<Line> expected;
    };
    const Case cases[] = {
        {"line 1 20", Line{1, 20}},    {"line 12 -", Line{12, std::nullopt}}, {"line 3 0", Line{3, 0}},
        {"0.500 LED 0", std::nullopt}, {"line 0 10", std::nullopt},           {"line 1", std::nullopt},
        {"line 1 ", std::nullopt},     {"line 1 20 4", std::nullopt},         {"line x 20", std::nullopt},
        {"lines 1 20", std::nullopt},  {"/dev/pts/7", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LineReport::parse(c.text), c.expected) << c.text;
    }
}

} // namespace
} // namespace pavlune
