// A running program against what happens around it: turns given late, a loop
// that never waits, another program arriving, a break with nothing running,
// and jumps to the ends of a que image.
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

// Four blinks of half a second on, half a second off, by hand in each dialect.
struct Blinks {
    const char* name;
    std::string program;
};
const Blinks kFourBlinks[] = {
    {"jam", "\x1B"
            "10 FOR I = 1 TO 4\r\n20 LED 1:WAIT 30:LED 0:WAIT 30\r\n30 NEXT\r\nRUN\r\n"},
    {"latte",
     " cat uart > .\ni=0;\nwhile(i<4){\nled(1);\nsleep(500);\nled(0);\nsleep(500);\ni=i+1;\n}\n\x04\nms .\n"},
    {"que",
     queImage({instruction(0x09, 0, 0), instruction(0x01, 1), instruction(0x04, 30), instruction(0x01, 0),
               instruction(0x04, 30), instruction(0x0A, 0, 0, 1), instruction(0x10, 1, 2, 4)})},
};

// Catches a wait counted from the moment the turn came (now + wait) instead
// of from the previous wait's end: each late turn would push every later
// change further, 7 ms more per wait.
TEST(RunningProgramTest, LateTurnsDoNotAddUp) {
    const Lines lateBy7ms{"0.000 RUN",   "0.000 LED 1", "0.507 LED 0", "1.007 LED 1", "1.507 LED 0",
                          "2.007 LED 1", "2.507 LED 0", "3.007 LED 1", "3.507 LED 0", "4.007 END"};
    for (const Blinks& blinks : kFourBlinks) {
        Bench bench;
        bench.feed(blinks.program);
        bench.runFor(30s, 7ms);
        EXPECT_EQ(bench.recorder.lines, lateBy7ms) << blinks.name;
    }
}

// A turn that comes 2.2 s late runs everything due by then at once and keeps
// the schedule after it. Catches the same fault, and a program that skips
// what it missed.
TEST(RunningProgramTest, ALongStallCatchesUpThenKeepsTheSchedule) {
    Bench bench;
    bench.feed(kFourBlinks[1].program);
    bench.clock.advance(2200ms);
    bench.runFor(30s);
    EXPECT_EQ(bench.recorder.lines,
              (Lines{"0.000 RUN", "0.000 LED 1", "2.200 LED 0", "2.200 LED 1", "2.200 LED 0", "2.200 LED 1",
                     "2.500 LED 0", "3.000 LED 1", "3.500 LED 0", "4.000 END"}));
}

// A loop with no wait must still hand the turn back, so that the break that
// stops it can arrive. Catches a turn that runs statements until a wait
// (it would never return).
TEST(RunningProgramTest, ALoopThatNeverWaitsStillYieldsToTheBreak) {
    Bench bench;
    bench.feed("\x1B"
               "10 GOTO 10\r\nRUN\r\n");
    for (int turn = 0; turn < 3; ++turn) {
        ASSERT_EQ(bench.board.advance(), bench.clock.now()) << "turn " << turn;
    }
    bench.feed("\x1B");
    EXPECT_EQ(bench.board.advance(), std::nullopt);
    EXPECT_EQ(bench.recorder.lines, (Lines{"0.000 RUN", "0.000 STOP"}));
}

// Catches a board of one dialect that leaves the other dialect's program
// running (it would go on blinking until the new one starts), a que opcode
// taken for program text (the jam program would not stop), and a break that
// reports a stop when nothing runs (it still resets: the LED goes off).
TEST(RunningProgramTest, AnotherProgramStopsTheRunningOneAtItsFirstByte) {
    struct Case {
        const char* name;
        std::string first;
        std::string interruption; // arrives at 1.7 s
        std::string rest;         // arrives half a second later
        Lines trace;
    };
    const std::string endlessLatte =
        " cat uart > .\nwhile(uart()==-1){\nled(1);\nsleep(500);\nled(0);\nsleep(500);\n}\n\x04\nms .\n";
    const Lines blinkedTo1700{"0.000 RUN",   "0.000 LED 1", "0.500 LED 0",
                              "1.000 LED 1", "1.500 LED 0", "1.700 STOP"};
    auto then = [](Lines lines, const Lines& more) {
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    const Case cases[] = {
        {"jam after latte", endlessLatte, "\x1B", "10 BEEP\r\nRUN\r\n",
         then(blinkedTo1700, {"0.000 RUN", "0.000 BEEP", "0.000 END"})},
        {"que after jam",
         "\x1B"
         "10 @L\r\n20 LED 1:WAIT 30:LED 0:WAIT 30:GOTO @L\r\nRUN\r\n",
         std::string(1, '\x17'), queImage({instruction(0x17)}).substr(1),
         then(blinkedTo1700, {"0.000 RUN", "0.000 BEEP", "0.000 END"})},
        {"break after the end",
         "\x1B"
         "10 LED 1\r\nRUN\r\n",
         "\x1B",
         "",
         {"0.000 RUN", "0.000 LED 1", "0.000 END", "1.700 LED 0"}},
    };
    for (const Case& c : cases) {
        Bench bench;
        bench.feed(c.first);
        bench.runFor(1700ms);
        bench.feed(c.interruption);
        bench.runFor(500ms);
        bench.feed(c.rest);
        bench.runFor(5s);
        EXPECT_EQ(bench.recorder.lines, c.trace) << c.name;
        EXPECT_TRUE(bench.recorder.complaints.empty()) << c.name << ": " << bench.recorder.complaints.at(0);
    }
}

// An image is 64 instructions: the last one runs, a jump past it ends the
// program. Catches the end test off by one instruction (the beep on line 64
// skipped, or a read past the image).
TEST(RunningProgramTest, QueJumpsToTheLastInstructionAndBeyond) {
    const std::string toLast = instruction(0x05, 63) + std::string(62 * 8, '\0') + instruction(0x17);
    const std::string beyond = queImage({instruction(0x01, 1), instruction(0x05, 64)});
    const std::string farBeyond = queImage({instruction(0x05, 0xFFFF), instruction(0x17)});
    ASSERT_EQ(toLast.size(), 512u);
    Bench bench;
    for (const std::string& image : {toLast, beyond, farBeyond}) {
        bench.feed(image);
        bench.runFor(1s);
    }
    EXPECT_EQ(bench.recorder.lines, (Lines{"0.000 RUN", "0.000 BEEP", "0.000 END", "0.000 RUN", "0.000 LED 1",
                                           "0.000 END", "0.000 RUN", "0.000 END"}));
    EXPECT_TRUE(bench.recorder.complaints.empty());
}

// The line the board is on while the four blinks run, in each dialect's own
// numbering (jam line number, latte file line from 1, que instruction from
// 0): during the first half second the first wait, then the second, and
// nothing once the program has ended. Catches a line taken after the
// statement moved on (the next statement's line), a dialect that never
// says, and a line still reported after the end.
TEST(RunningProgramTest, TheRunningLineIsTheStatementThatIsWaiting) {
    struct Case {
        const Blinks& blinks;
        int firstWait;
        int secondWait;
    };
    const Case cases[] = {{kFourBlinks[0], 20, 20}, {kFourBlinks[1], 4, 6}, {kFourBlinks[2], 2, 4}};
    for (const Case& c : cases) {
        Bench bench;
        bench.feed(c.blinks.program);
        bench.runFor(250ms);
        EXPECT_EQ(bench.board.runningLine(), c.firstWait) << c.blinks.name;
        bench.runFor(500ms);
        EXPECT_EQ(bench.board.runningLine(), c.secondWait) << c.blinks.name;
        bench.runFor(10s);
        EXPECT_EQ(bench.board.runningLine(), std::nullopt) << c.blinks.name;
    }
}

} // namespace
} // namespace pavlune
