#include "sim/JamProgram.h"
#include "sim/LatteParser.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

using Kind = JamProgram::Statement::Kind;

// Catches a keyword glued to its number ("OUT0" of the reset) read as a
// word, a wrong argument count accepted, and a label lost in upper-casing.
TEST(JamStatementTest, ReadsWhatTheCardsAndTheResetWrite) {
    struct Case {
        const char* text;
        Kind kind;
        std::size_t arguments;
    };
    const Case cases[] = {
        {"OUT0", Kind::out, 1},
        {"OUT 1, 1", Kind::out, 2},
        {"PWM 3, 60", Kind::pwm, 2},
        {"WAIT I+1", Kind::wait, 1},
        {"led 1", Kind::led, 1},
        {"BEEP", Kind::beep, 0},
        {"FOR I = 1 TO 3", Kind::forLoop, 2},
        {"NEXT", Kind::next, 0},
        {"GOTO @loop", Kind::gotoLabel, 0},
        {"GOTO 10", Kind::gotoLine, 1},
        {"@LOOP", Kind::label, 0},
        {"LED", Kind::unknown, 0},
        {"PWM 3", Kind::unknown, 0},
        {"OUT 1,2,3", Kind::unknown, 0},
        {"FOR I = 1", Kind::unknown, 0},
        {"LED 1 2", Kind::unknown, 0},
        {"PRINT 1", Kind::unknown, 0},
    };
    for (const Case& c : cases) {
        const JamProgram::Statement statement = JamProgram::parseStatement(c.text);
        EXPECT_EQ(statement.kind, c.kind) << c.text;
        EXPECT_EQ(statement.arguments.size(), c.arguments) << c.text;
    }
    EXPECT_EQ(JamProgram::parseStatement("goto @loop").label, "@LOOP");
}

// Catches an empty loop body that jumps anywhere but back to its condition,
// and a script cut short taken as whole. (Loops with bodies run in
// InterpreterFlowTest.)
TEST(LatteParserTest, AnEmptyLoopJumpsToItselfAndAnUnfinishedScriptIsRefused) {
    const LatteParser::Result drain = LatteParser::parse("while(uart()!=-1);");
    ASSERT_EQ(drain.operations.size(), 2u);
    EXPECT_EQ(drain.operations[1].target, 0u);

    EXPECT_NE(LatteParser::parse("while(i<3){\nled(1);\n").error.find("\"}\" missing"), std::string::npos);
    EXPECT_NE(LatteParser::parse("led(1)\nled(0);").error.find("line 2"), std::string::npos);
}

} // namespace
} // namespace pavlune
