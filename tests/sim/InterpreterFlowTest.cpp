// The interpreters' control flow on hand-written programs: counted and nested
// loops, jumps to lines, labels and instructions, the end of a program, and a
// stop that interrupts a loop. Times follow from the waits: jam and que count
// sixtieths of a second, latte milliseconds.
#include "tests/sim/SimBench.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pavlune {
namespace {

using namespace std::chrono_literals;
using test::Bench;
using test::instruction;
using test::queImage;
using Lines = std::vector<std::string>;

struct Flow {
    const char* name;
    std::string bytes;
    Lines trace;
    Lines complaints;
};

// Catches loops counted one short or one long (< for <=), a while whose false
// condition lands anywhere but right after the loop, a NEXT or jump that
// resumes at the wrong statement, a nested loop that ends its outer one, a
// GOTO that does not skip, a variable read as another, and a program that runs
// on past its END or exit().
TEST(InterpreterFlowTest, LoopsJumpsAndEndsRunAsWritten) {
    const Lines fourBlinks{"0.000 RUN",   "0.000 LED 1", "0.500 LED 0", "1.000 LED 1", "1.500 LED 0",
                           "2.000 LED 1", "2.500 LED 0", "3.000 LED 1", "3.500 LED 0", "4.000 END"};
    const Flow flows[] = {
        {"jam nested FOR",
         "\x1B"
         "10 FOR I = 1 TO 2\r\n20 FOR J = 1 TO 2\r\n30 LED 1:WAIT 30:LED 0:WAIT 30\r\n40 NEXT\r\n50 "
         "NEXT\r\nRUN\r\n",
         fourBlinks,
         {}},
        // 30 + 31 + 32 sixtieths: I counts 1, 2, 3.
        {"jam FOR variable",
         "\x1B"
         "10 FOR I = 1 TO 3\r\n20 WAIT I+29\r\n30 NEXT\r\n40 LED 1\r\nRUN\r\n",
         {"0.000 RUN", "1.550 LED 1", "1.550 END"},
         {}},
        {"jam GOTO a line and END",
         "\x1B"
         "10 LED 1\r\n15 GOTO 30\r\n20 BEEP\r\n30 WAIT 60\r\n40 LED 0:END\r\n50 LED 1\r\nRUN\r\n",
         {"0.000 RUN", "0.000 LED 1", "1.000 LED 0", "1.000 END"},
         {}},
        {"jam GOTO nowhere and NEXT without FOR",
         "\x1B"
         "10 GOTO 99\r\n20 NEXT\r\n30 LED 1\r\nRUN\r\n",
         {"0.000 RUN", "0.000 LED 1", "0.000 END"},
         {"jam: line 10: no such line or label in \"GOTO 99\"",
          "jam: line 20: NEXT without FOR in \"NEXT\""}},
        {"latte counted while",
         " cat uart > .\ni=0;\nwhile(i<4){\nled(1);\nsleep(500);\nled(0);\nsleep(500);\ni=i+1;\n}\n\x04\nms "
         ".\n",
         fourBlinks,
         {}},
        {"latte nested while and exit",
         " cat uart > .\ni=0;\nwhile(i<2){\nj=0;\nwhile(j<2){\nled(1);\nsleep(500);\nled(0);\nsleep(500);\n"
         "j=j+1;\n}\ni=i+1;\n}\nexit();\nbeep();\n\x04\nms .\n",
         fourBlinks,
         {}},
        // The loop card with 0 typed: the condition is false at once, and the
        // program goes on right after the loop.
        {"latte while of no turns",
         " cat uart > .\ni=0;\nwhile(i<0){\nled(1);\nsleep(500);\ni=i+1;\n}\nbeep();\n\x04\nms .\n",
         {"0.000 RUN", "0.000 BEEP", "0.000 END"},
         {}},
        // The compare comes after the body: a limit of 1 is one pass, not two.
        {"que loop of one turn",
         queImage({instruction(0x09, 0, 0), instruction(0x01, 1), instruction(0x04, 30), instruction(0x01, 0),
                   instruction(0x04, 30), instruction(0x0A, 0, 0, 1), instruction(0x10, 1, 2, 1)}),
         {"0.000 RUN", "0.000 LED 1", "0.500 LED 0", "1.000 END"},
         {}},
        // Box 0 counts the passes; "jump if below" goes back while it is under 4,
        // then a jump over the beep into the padding ends the program.
        {"que counted jump",
         queImage({instruction(0x09, 0, 0), instruction(0x01, 1), instruction(0x04, 30), instruction(0x01, 0),
                   instruction(0x04, 30), instruction(0x0A, 0, 0, 1), instruction(0x10, 1, 2, 4),
                   instruction(0x05, 9), instruction(0x17)}),
         fourBlinks,
         {}},
    };
    for (const Flow& flow : flows) {
        Bench bench;
        bench.feed(flow.bytes);
        bench.runFor(30s);
        EXPECT_EQ(bench.recorder.lines, flow.trace) << flow.name;
        EXPECT_EQ(bench.recorder.complaints, flow.complaints) << flow.name;
    }
}

// Catches a stop that waits for the loop's wait to end, a program that goes on
// after it, and a complaint repeated on every pass of a loop.
TEST(InterpreterFlowTest, AnEndlessLoopStopsWhereTheStopArrives) {
    struct Stop {
        const char* name;
        std::string program;
        std::string stop;
        Lines trace;
        Lines complaints;
    };
    const Stop stops[] = {
        {"jam break",
         "\x1B"
         "10 @A\r\n20 LED 1:WAIT 30:FOO:LED 0:WAIT 30\r\n30 GOTO @A\r\nRUN\r\n",
         "\x1B",
         {"0.000 RUN", "0.000 LED 1", "0.500 LED 0", "1.000 LED 1", "1.500 LED 0", "1.700 STOP"},
         {"jam: line 20: unknown statement \"FOO\""}},
        // A new image stops the running one at its first byte.
        {"que new image",
         queImage({instruction(0x01, 1), instruction(0x04, 30), instruction(0x01, 0), instruction(0x04, 30),
                   instruction(0x05, 0)}),
         std::string(1, '\x01'),
         {"0.000 RUN", "0.000 LED 1", "0.500 LED 0", "1.000 LED 1", "1.500 LED 0", "1.700 STOP"},
         {"que: dropped an unfinished program of 1 bytes (512 make a program)"}},
    };
    for (const Stop& stop : stops) {
        Bench bench;
        bench.feed(stop.program);
        bench.runFor(1700ms); // two passes
        bench.feed(stop.stop);
        bench.runFor(5s);
        EXPECT_EQ(bench.recorder.lines, stop.trace) << stop.name;
        EXPECT_EQ(bench.recorder.complaints, stop.complaints) << stop.name;
    }
}

} // namespace
} // namespace pavlune
