#include "engine/base/Scheduler.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using engine::Scheduler;

constexpr float kFrame = 1.0f / 60.0f;

class SchedulerTest : public ::testing::Test {
protected:
    SchedulerTest() : scheduler(new Scheduler()) {}
    ~SchedulerTest() override { scheduler->release(); }

    void frames(int count, float dt = kFrame) {
        for (int i = 0; i < count; ++i) {
            scheduler->update(dt);
        }
    }

    Scheduler* scheduler;
    int targetA = 0;
    int targetB = 0;
};

TEST_F(SchedulerTest, IntervalCallbackStartsItsClockOnTheFirstFrameThenFiresOnAccumulatedTime) {
    // Binary fractions keep the float sums exact.
    std::vector<float> fired;
    scheduler->schedule([&](float dt) { fired.push_back(dt); }, &targetA, 0.25f, false, "tick");

    scheduler->update(5.0f); // only starts the clock
    EXPECT_TRUE(fired.empty());
    frames(3, 0.0625f); // 0.1875 s
    EXPECT_TRUE(fired.empty());
    frames(2, 0.0625f); // 0.3125 s
    ASSERT_EQ(fired.size(), 1u);
    EXPECT_FLOAT_EQ(fired[0], 0.25f);
    // A long frame catches up with several firings: 0.0625 carried + 0.9375 = 1.0.
    scheduler->update(0.9375f);
    EXPECT_EQ(fired.size(), 5u);
    scheduler->update(0.125f);
    EXPECT_EQ(fired.size(), 5u);
}

TEST_F(SchedulerTest, ZeroIntervalFiresEveryFrameWithThatFramesTime) {
    std::vector<float> fired;
    scheduler->schedule([&](float dt) { fired.push_back(dt); }, &targetA, 0.0f, false, "frame");
    scheduler->update(0.5f);
    scheduler->update(0.02f);
    scheduler->update(0.03f);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_FLOAT_EQ(fired[0], 0.02f);
    EXPECT_FLOAT_EQ(fired[1], 0.03f);
}

TEST_F(SchedulerTest, RepeatAndDelay) {
    int count = 0;
    std::vector<float> fired;
    // repeat 2 = three firings; the first after the delay.
    scheduler->schedule(
        [&](float dt) {
            ++count;
            fired.push_back(dt);
        },
        &targetA, 0.125f, 2, 0.25f, false, "r");
    scheduler->update(0);
    frames(3, 0.0625f); // 0.1875 s
    EXPECT_EQ(count, 0);
    scheduler->update(0.0625f); // 0.25 s: the delay is over
    EXPECT_EQ(count, 1);
    EXPECT_FLOAT_EQ(fired[0], 0.25f);
    frames(2, 0.0625f);
    EXPECT_EQ(count, 2);
    EXPECT_FLOAT_EQ(fired[1], 0.125f);
    frames(10, 0.0625f);
    EXPECT_EQ(count, 3);
    EXPECT_FALSE(scheduler->isScheduled("r", &targetA));

    // scheduleOnce form: repeat 0 with a delay fires exactly once.
    int once = 0;
    scheduler->schedule([&](float) { ++once; }, &targetB, 0.0f, 0, 0.05f, false, "once");
    frames(20);
    EXPECT_EQ(once, 1);
}

TEST_F(SchedulerTest, KeysArePerTargetAndReschedulingReplacesTheCallbackWithAFreshClock) {
    int a = 0, b = 0;
    scheduler->schedule([&](float) { ++a; }, &targetA, 0.0f, false, "k");
    scheduler->schedule([&](float) { ++b; }, &targetB, 0.0f, false, "k");
    frames(3);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 2);
    scheduler->unschedule("k", &targetA);
    EXPECT_FALSE(scheduler->isScheduled("k", &targetA));
    EXPECT_TRUE(scheduler->isScheduled("k", &targetB));
    frames(2);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 4);

    // A one-shot re-armed halfway through its delay, with a longer one: only
    // the new callback fires, once, a whole new delay after the re-arming.
    std::vector<std::string> fired;
    scheduler->schedule([&](float) { fired.push_back("old"); }, &targetA, 0.0f, 0, 0.25f, false, "once");
    scheduler->update(0);
    frames(2, 0.0625f); // 0.125 s of the old delay
    scheduler->schedule([&](float) { fired.push_back("new"); }, &targetA, 0.0f, 0, 0.375f, false, "once");
    scheduler->update(0.0625f); // starts the new clock
    frames(5, 0.0625f);         // 0.3125 s
    EXPECT_TRUE(fired.empty());
    frames(1, 0.0625f); // 0.375 s
    EXPECT_EQ(fired, (std::vector<std::string>{"new"}));
    frames(10, 0.0625f);
    EXPECT_EQ(fired.size(), 1u);
    EXPECT_FALSE(scheduler->isScheduled("once", &targetA));
}

TEST_F(SchedulerTest, UpdateCallbacksRunByPriorityAndInArrivalOrderWithinOne) {
    std::string order;
    struct Target {
        std::string* log;
        char name;
        void update(float) { *log += name; }
    };
    Target t1{&order, '1'}, t2{&order, '2'}, t3{&order, '3'}, t4{&order, '4'}, sys{&order, 'S'};
    scheduler->scheduleUpdate(&t1, 0, false);
    scheduler->scheduleUpdate(&t2, 5, false);
    scheduler->scheduleUpdate(&t3, -5, false);
    scheduler->scheduleUpdate(&t4, 0, false);
    scheduler->scheduleUpdate(&sys, Scheduler::PRIORITY_SYSTEM, false);
    scheduler->update(kFrame);
    EXPECT_EQ(order, "S3142");

    // A new priority moves the callback.
    scheduler->scheduleUpdate(&t2, -10, false);
    order.clear();
    scheduler->update(kFrame);
    EXPECT_EQ(order, "S2314");
}

TEST_F(SchedulerTest, UnschedulingFromInsideCallbacksIsSafe) {
    int self = 0, victim = 0, later = 0;
    scheduler->schedule(
        [&](float) {
            ++self;
            scheduler->unschedule("self", &targetA);     // itself
            scheduler->unscheduleAllForTarget(&targetB); // another target's timer and update
        },
        &targetA, 0.0f, false, "self");
    scheduler->schedule([&](float) { ++victim; }, &targetB, 0.0f, false, "victim");
    scheduler->schedulePerFrame([&](float) { ++later; }, &targetB, 0, false);
    scheduler->update(0);
    frames(5);
    EXPECT_EQ(self, 1);
    EXPECT_EQ(victim, 0);
    // Update callbacks run before timers, and a timer's first frame only
    // starts its clock: the update ran in the first two frames, then was gone.
    EXPECT_EQ(later, 2);
    EXPECT_FALSE(scheduler->isScheduled("victim", &targetB));
    EXPECT_FALSE(scheduler->isUpdateScheduled(&targetB));

    // An update callback that unschedules itself and then schedules itself again.
    int again = 0;
    std::function<void(float)> rearm = [&](float) {
        ++again;
        scheduler->unscheduleUpdate(&targetA);
        scheduler->schedulePerFrame(rearm, &targetA, 0, false);
    };
    scheduler->schedulePerFrame(rearm, &targetA, 0, false);
    frames(3);
    EXPECT_EQ(again, 3);
}

TEST_F(SchedulerTest, ReschedulingAKeyFromItsOwnCallbackReplacesIt) {
    int first = 0, second = 0;
    scheduler->schedule(
        [&](float) {
            ++first;
            scheduler->unschedule("step", &targetA);
            scheduler->schedule([&](float) { ++second; }, &targetA, 0.0f, false, "step");
        },
        &targetA, 0.0f, false, "step");
    scheduler->update(0);
    frames(4);
    EXPECT_EQ(first, 1);
    // The new timer starts its clock in the frame it was added, then fires in each of the three others.
    EXPECT_EQ(second, 3);
    EXPECT_TRUE(scheduler->isScheduled("step", &targetA));
}

TEST_F(SchedulerTest, PausedTargetsKeepTheirTime) {
    int timer = 0, update = 0;
    scheduler->schedule([&](float) { ++timer; }, &targetA, 0.25f, false, "t");
    scheduler->schedulePerFrame([&](float) { ++update; }, &targetA, 0, false);
    scheduler->update(0);
    frames(3, 0.0625f); // 0.1875 s
    EXPECT_EQ(update, 4);
    scheduler->pauseTarget(&targetA);
    EXPECT_TRUE(scheduler->isTargetPaused(&targetA));
    frames(10, 0.0625f);
    EXPECT_EQ(timer, 0);
    EXPECT_EQ(update, 4);
    scheduler->resumeTarget(&targetA);
    EXPECT_FALSE(scheduler->isTargetPaused(&targetA));
    scheduler->update(0.0625f); // 0.25 s of running time
    EXPECT_EQ(timer, 1);
    EXPECT_EQ(update, 5);

    // Scheduling on a target can start paused.
    int startsPaused = 0;
    scheduler->schedule([&](float) { ++startsPaused; }, &targetB, 0.0f, true, "p");
    frames(3);
    EXPECT_EQ(startsPaused, 0);
    scheduler->resumeTarget(&targetB);
    frames(3);
    EXPECT_EQ(startsPaused, 2);
}

TEST_F(SchedulerTest, PostedFunctionsRunAtTheStartOfTheNextUpdateInOrder) {
    std::string log;
    scheduler->schedulePerFrame([&](float) { log += 'U'; }, &targetA, 0, false);
    scheduler->performFunctionInCocosThread([&] { log += '1'; });
    scheduler->performFunctionInCocosThread([&] {
        log += '2';
        scheduler->performFunctionInCocosThread([&] { log += '3'; }); // posted while running: next frame
    });
    EXPECT_EQ(log, "");
    scheduler->update(kFrame);
    EXPECT_EQ(log, "12U");
    scheduler->update(kFrame);
    EXPECT_EQ(log, "12U3U");

    scheduler->performFunctionInCocosThread([&] { log += 'X'; });
    scheduler->removeAllFunctionsToBePerformedInCocosThread();
    scheduler->update(kFrame);
    EXPECT_EQ(log, "12U3UU");
}

TEST_F(SchedulerTest, TimeScaleStretchesTime) {
    int count = 0;
    scheduler->schedule([&](float) { ++count; }, &targetA, 1.0f, false, "slow");
    scheduler->setTimeScale(2.0f);
    scheduler->update(0);
    scheduler->update(0.5f);
    EXPECT_EQ(count, 1);
    // Catches a total that counts the frame's dt before the scale.
    EXPECT_DOUBLE_EQ(scheduler->getTotalTime(), 1.0);
}

} // namespace
