// The one logging function: the line's form, the threshold, and captures
// that tests install over standard error.
#include "engine/base/Log.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using engine::Log;

// Catches a level written under another's name, a component or message
// dropped, and a message whose line end splits one report over two lines.
TEST(LogTest, EachCallIsOneLineWithLevelComponentAndMessage) {
    const Log::Capture log;
    Log::info("engine", "loaded");
    Log::warning("device", "/dev/ttyUSB0: cannot open: busy");
    Log::error("store", "/w/savedatas/list.plist: not written:\nPermission denied");
    const std::vector<std::string> expected{
        "pavlune info engine: loaded",
        "pavlune warning device: /dev/ttyUSB0: cannot open: busy",
        "pavlune error store: /w/savedatas/list.plist: not written: Permission denied",
    };
    EXPECT_EQ(log.lines(), expected);
    EXPECT_EQ(log.linesWith({"store", "Permission denied"}).size(), 1u);
    EXPECT_TRUE(log.linesWith({"store", "busy"}).empty()) << "every part must be on the line";
}

// Catches a threshold that drops errors too, or one that stays after it is
// put back; and an inner capture that does not hand the lines back.
TEST(LogTest, TheThresholdDropsLowerLevelsAndCapturesNest) {
    const Log::Capture outer;
    {
        const Log::Capture inner;
        const Log::Level previous = Log::setThreshold(Log::Level::Error);
        Log::warning("device", "told by the tool itself");
        Log::error("store", "kept");
        Log::setThreshold(previous);
        EXPECT_EQ(inner.lines(), std::vector<std::string>{"pavlune error store: kept"});
    }
    Log::info("engine", "after");
    EXPECT_EQ(outer.lines(), std::vector<std::string>{"pavlune info engine: after"});
}

// Catches lines from two threads torn into each other or lost.
TEST(LogTest, LinesFromTwoThreadsStayWhole) {
    const Log::Capture log;
    const auto writeMany = [](const char* component) {
        for (int i = 0; i < 200; ++i) {
            Log::info(component, "line " + std::to_string(i));
        }
    };
    std::thread first(writeMany, "first");
    std::thread second(writeMany, "second");
    first.join();
    second.join();
    EXPECT_EQ(log.linesWith({"pavlune info first: line "}).size(), 200u);
    EXPECT_EQ(log.linesWith({"pavlune info second: line "}).size(), 200u);
}

} // namespace
