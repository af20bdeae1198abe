// The real transfer clock on Linux: the sending thread's scheduling during a
// transfer, and only then.
#include "program/SteadyTransferClock.h"
#include "tests/program/SchedulingRights.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <thread>

using namespace pavlune;
using namespace scheduling_rights;

namespace {

// The sending thread is the caller's: real-time only while its clock lives.
TEST(SteadyTransferClockTest, PutsTheThreadBackOnItsOwnPolicy) {
    int before = -1;
    sched_param saved{};
    ASSERT_EQ(pthread_getschedparam(pthread_self(), &before, &saved), 0);
    sched_param probe{};
    probe.sched_priority = 1;
    const bool allowed =
        before == SCHED_OTHER && pthread_setschedparam(pthread_self(), SCHED_FIFO, &probe) == 0;
    ASSERT_EQ(pthread_setschedparam(pthread_self(), before, &saved), 0);
    int during = -1;
    {
        SteadyTransferClock clock;
        clock.sleepUntil(clock.now()); // a deadline that has passed: no wait
        sched_param param{};
        ASSERT_EQ(pthread_getschedparam(pthread_self(), &during, &param), 0);
    }
    if (allowed) {
        EXPECT_EQ(during, SCHED_FIFO) << "allowed here, so the sending thread should run real-time";
    }
    int after = -1;
    sched_param param{};
    ASSERT_EQ(pthread_getschedparam(pthread_self(), &after, &param), 0);
    EXPECT_EQ(after, before);
}

TEST(SteadyTransferClockTest, WithoutRealTimeRightsTheThreadTakesAShortSliceForTheTransferOnly) {
    scheduling_rights::NoRealTimeRights rights;
    ASSERT_TRUE(rights.ok());
    bool dropped = false;
    int policy = -1;
    std::uint64_t before = 0, during = 0, after = 0;
    std::thread sender([&] {
        dropped = dropNiceCapability();
        before = sliceOfThisThread();
        {
            SteadyTransferClock clock(nullptr); // no broker: the normal policy's fallback
            clock.sleepUntil(clock.now());
            policy = sched_getscheduler(0);
            during = sliceOfThisThread();
        }
        after = sliceOfThisThread();
    });
    sender.join();
    ASSERT_TRUE(dropped);
    if (before == 0) {
        GTEST_SKIP() << "this kernel keeps no slice per thread";
    }
    EXPECT_EQ(policy, SCHED_OTHER);
    EXPECT_LT(during, before);
    EXPECT_EQ(after, before);
}

} // namespace
