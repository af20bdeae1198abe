#include "catalogue/CardSet.h"
#include "tests/program/FieldRowsBuilder.h"
#include "tests/sim/SimBench.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pavlune {
namespace {

using test::Bench;
using test::Recorder;

using namespace std::chrono_literals;
using testing::card;
using testing::oneSlotRows;

class BoardSimulatorTest : public ::testing::Test, protected Bench {};

struct CardProgram {
    const char* name;
    FieldRows rows;
    std::vector<std::string> trace;
};

// What each program means, the same in every dialect.
std::vector<CardProgram> cardPrograms() {
    return {
        {"blink once",
         oneSlotRows({card(basic, 0), card(basic, 2), card(basic, 1), card(basic, 3)}),
         {"0.000 RUN", "0.000 LED 1", "1.000 LED 0", "4.000 END"}},
        {"loop three times",
         oneSlotRows(
             {card(full, 4), card(basic, 0), card(basic, 2), card(basic, 1), card(basic, 2), card(full, 5)}),
         {"0.000 RUN", "0.000 LED 1", "1.000 LED 0", "2.000 LED 1", "3.000 LED 0", "4.000 LED 1",
          "5.000 LED 0", "6.000 END"}},
        // Both loop cards count with the same variable (box 0 in que): the
        // inner loop leaves it past the outer's limit, so the outer ends
        // after one pass.
        {"loop in a loop of the same count",
         oneSlotRows({card(full, 4), card(full, 4), card(basic, 0), card(basic, 2), card(basic, 1),
                      card(basic, 2), card(full, 5), card(full, 5)}),
         {"0.000 RUN", "0.000 LED 1", "1.000 LED 0", "2.000 LED 1", "3.000 LED 0", "4.000 LED 1",
          "5.000 LED 0", "6.000 END"}},
        {"typed wait, output and beep",
         oneSlotRows({card(full, 2, "0.5"), card(full, 10), card(full, 3), card(full, 0), card(full, 11)}),
         {"0.000 RUN", "0.500 OUT 1 1", "0.500 WHEELS 1 0", "0.500 BEEP", "5.500 OUT 1 0", "5.500 WHEELS 0 0",
          "5.500 END"}},
        {"car on the outputs",
         oneSlotRows({card(paprika, 0), card(basic, 2), card(paprika, 3), card(basic, 2), card(paprika, 1)}),
         {"0.000 RUN", "0.000 OUT 1 1", "0.000 OUT 6 1", "0.000 WHEELS 1 1", "1.000 OUT 1 0", "1.000 OUT 2 1",
          "1.000 WHEELS -1 1", "2.000 OUT 2 0", "2.000 OUT 6 0", "2.000 WHEELS 0 0", "2.000 END"}},
        {"car on the servos",
         oneSlotRows({card(paprika, 9), card(paprika, 12), card(basic, 2), card(paprika, 10)}),
         {"0.000 RUN", "0.000 PWM 3 600", "0.000 WHEELS 1 0", "0.000 PWM 4 2300", "0.000 WHEELS 1 1",
          "1.000 PWM 3 1450", "1.000 WHEELS 0 1", "1.000 END"}},
    };
}

TEST_F(BoardSimulatorTest, RunsWhatTheCardsMeanInEveryDialect) {
    for (const Dialect dialect : {jam, latte, que}) {
        for (const CardProgram& program : cardPrograms()) {
            Bench bench;
            bench.send(dialect, program.rows);
            bench.runFor(30s);
            const Recorder& own = bench.recorder;
            EXPECT_EQ(own.lines, program.trace) << program.name << " in dialect " << dialect;
            EXPECT_TRUE(own.complaints.empty()) << program.name << " in dialect " << dialect << ": "
                                                << (own.complaints.empty() ? "" : own.complaints[0]);
        }
    }
}

const FieldRows kEndlessBlink = oneSlotRows(
    {card(basic, 4), card(basic, 0), card(basic, 2), card(basic, 1), card(basic, 2), card(basic, 5)});

TEST_F(BoardSimulatorTest, JamBreakStopsAnEndlessLoopAtOnceAndTheResetSwitchesOff) {
    send(jam, kEndlessBlink);
    runFor(2500ms);
    feed("\x1B");
    feed("\nOUT 1,1\n");
    runFor(5s);
    EXPECT_EQ(recorder.lines,
              (std::vector<std::string>{"0.000 RUN", "0.000 LED 1", "1.000 LED 0", "2.000 LED 1",
                                        "2.500 STOP", "2.500 LED 0", "2.500 OUT 1 1", "2.500 WHEELS 1 0"}));
}

// The break is not a character uart() reads: the board resets where it is.
TEST_F(BoardSimulatorTest, LatteBreakStopsAnEndlessLoopAtOnce) {
    send(latte, kEndlessBlink);
    runFor(2500ms);
    feed(" ");
    runFor(5s);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"0.000 RUN", "0.000 LED 1", "1.000 LED 0",
                                                        "2.000 LED 1", "2.500 STOP", "2.500 LED 0"}));
}

// What the stop sends (break and reset, written out by hand), while a
// program runs and after one ended with everything on: afterwards the LED,
// the outputs and the pulse-width channels are off, as on a board that was
// reset. Catches a break that only stops the program (the LED stayed lit
// after とめる) and a reset that forgets the pulse-width channels.
TEST_F(BoardSimulatorTest, TheStopLeavesTheBoardSwitchedOff) {
    const FieldRows allOn = oneSlotRows({card(basic, 0), card(full, 10), card(paprika, 9), card(full, 20)});
    FieldRows allOnForever = allOn;
    allOnForever.insert(allOnForever.begin(), FieldRow{card(basic, 4)});
    allOnForever.push_back(FieldRow{card(basic, 2)});
    allOnForever.push_back(FieldRow{card(basic, 5)});
    const struct {
        Dialect dialect;
        std::string stop;
    } stops[] = {{jam, "\x1B\nOUT0\n"}, {latte, " ms\nout(0)\nexit()\n"}};
    for (const auto& s : stops) {
        for (const FieldRows* rows : {&allOn, static_cast<const FieldRows*>(&allOnForever)}) {
            SCOPED_TRACE(std::to_string(s.dialect) + (rows == &allOn ? " ended" : " running"));
            Bench bench;
            bench.send(s.dialect, *rows);
            bench.runFor(1500ms);
            ASSERT_TRUE(bench.board.outputs().led());
            ASSERT_EQ(bench.board.outputs().outputs(), 0b100001u);
            ASSERT_EQ(bench.board.outputs().pwm(3), 600);
            bench.feed(s.stop);
            bench.runFor(3s);
            EXPECT_FALSE(bench.board.outputs().led());
            EXPECT_EQ(bench.board.outputs().outputs(), 0u);
            EXPECT_EQ(bench.board.outputs().pwm(3), 0);
            EXPECT_EQ(bench.board.outputs().leftWheel(), 0.0);
            EXPECT_TRUE(bench.recorder.complaints.empty()) << bench.recorder.complaints.at(0);
        }
    }
}

TEST_F(BoardSimulatorTest, JamTakesNumberedLinesInOrderAndEchoesThem) {
    struct Echo : Recorder {
        void boardEchoed(char character) override { echoed += character; }
        std::string echoed;
    } echo;
    BoardSimulator jamBoard(clock, echo);
    for (const char byte : std::string("\x1B"
                                       "20 WAIT 30:LED 0\r\n10 LED 1\r\n30 FOO\r\nRUN\r\n")) {
        jamBoard.receive(byte);
    }
    for (auto next = jamBoard.advance(); next; next = jamBoard.advance()) {
        clock.set(*next);
    }
    EXPECT_EQ(echo.echoed, "20 WAIT 30:LED 0\r\n10 LED 1\r\n30 FOO\r\nRUN\r");
    EXPECT_EQ(echo.lines, (std::vector<std::string>{"0.000 RUN", "0.000 LED 1", "0.500 LED 0", "0.500 END"}));
    ASSERT_EQ(echo.complaints.size(), 1u);
    EXPECT_NE(echo.complaints[0].find("line 30"), std::string::npos) << echo.complaints[0];
}

TEST_F(BoardSimulatorTest, UnknownThingsAreReportedAndTheRestRuns) {
    // latte: an unknown call; que: an unknown opcode before an output.
    feed(std::string(" cat uart > .\nfoo(1);\nled(1);\n\x04\nms .\n"));
    runFor(1s);
    std::string image(8, '\0');
    image[0] = 0x7F;
    image += std::string("\x02\x00\x03\x00\x01\x00\x00\x00", 8);
    image += std::string(512 - image.size(), '\xFF');
    feed(image);
    runFor(1s);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"0.000 RUN", "0.000 LED 1", "0.000 END", "0.000 RUN",
                                                        "0.000 OUT 3 1", "0.000 END"}));
    EXPECT_EQ(recorder.complaints, (std::vector<std::string>{"latte: unknown call \"foo()\"",
                                                             "que: line 1: unknown instruction 7F"}));
}

TEST_F(BoardSimulatorTest, UnfinishedQueImageIsDroppedAfterAQuietSecond) {
    feed(std::string("\x01\x00\x01\x00\x00\x00\x00\x00", 8));
    runFor(999ms);
    EXPECT_TRUE(recorder.complaints.empty());
    runFor(1ms);
    ASSERT_EQ(recorder.complaints.size(), 1u);
    // The next image starts afresh rather than finishing the dropped one.
    feed(std::string("\x01\x00\x01\x00\x00\x00\x00\x00", 8) + std::string(504, '\xFF'));
    runFor(1s);
    EXPECT_EQ(recorder.lines, (std::vector<std::string>{"0.000 RUN", "0.000 LED 1", "0.000 END"}));
}

} // namespace
} // namespace pavlune
