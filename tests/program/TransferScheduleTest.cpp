#include "program/TransferSchedule.h"

#include <gtest/gtest.h>

using namespace pavlune;

namespace {

// The browser's pacer reads exactly this text. A byte at 115200 baud, 8N1,
// takes 86.806 µs on the line: a deadline counts every pause so far plus the
// line time of the bytes before, rounded up to whole microseconds, so a pacer
// that keeps it is never early.
TEST(TransferSchedule, JsonStepsCarryTheirDeadlines) {
    struct Case {
        const char* name;
        void (*build)(TransferSchedule&);
        const char* json;
    };
    const Case cases[] = {
        {"echoed text: shown, written, stop check, pause",
         [](TransferSchedule& s) { s.addText("AB", 50, true); },
         R"({"steps":[[2],[0,65],[3],[1,50,50087],[2],[0,66],[3],[1,50,100174]]})"},
        {"no pause when negative, no echo unless asked",
         [](TransferSchedule& s) { s.addText("\x1B", -1, false); }, R"({"steps":[[0,27],[3]]})"},
        {"pause before the first byte has no line time in it",
         [](TransferSchedule& s) {
             s.addPause(3);
             s.addWrite(0xFF);
             s.addPause(3);
         },
         R"({"steps":[[1,3,3000],[0,255],[1,3,6087]]})"},
        {"a zero pause still waits for the line", [](TransferSchedule& s) { s.addText("\n\n", 0, false); },
         R"({"steps":[[0,10],[3],[1,0,87],[0,10],[3],[1,0,174]]})"},
    };
    for (const Case& c : cases) {
        TransferSchedule schedule;
        c.build(schedule);
        EXPECT_EQ(schedule.toJson(), c.json) << c.name;
    }
}

} // namespace
