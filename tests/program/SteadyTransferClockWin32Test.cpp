// The real transfer clock on Windows: a sending thread runs at a raised
// priority and never wakes before a deadline; both end with the clock.
#include "program/SteadyTransferClock.h"

#include <windows.h>

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace pavlune;

TEST(SteadyTransferClockWin32Test, TheSendingThreadIsRaisedForTheTransferOnly) {
    int before = -1, during = -1, after = -1;
    std::thread sender([&] {
        before = GetThreadPriority(GetCurrentThread());
        {
            SteadyTransferClock clock;
            clock.sleepUntil(clock.now());
            during = GetThreadPriority(GetCurrentThread());
        }
        after = GetThreadPriority(GetCurrentThread());
    });
    sender.join();
    EXPECT_EQ(before, THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(during, THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(after, THREAD_PRIORITY_NORMAL);
}

// The jam pause and one shorter than the default 15.6 ms timer period: a
// sleep that rounded down to the period would end early.
TEST(SteadyTransferClockWin32Test, PausesAreNeverShorterThanAsked) {
    SteadyTransferClock clock;
    for (const auto pause : {std::chrono::milliseconds(5), std::chrono::milliseconds(50)}) {
        const auto deadline = clock.now() + pause;
        clock.sleepUntil(deadline);
        EXPECT_GE(clock.now(), deadline) << pause.count() << " ms";
    }
}
