#include "program/TransferThreadPriority.h"

#include "tests/program/SchedulingRights.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using namespace pavlune;
using namespace scheduling_rights;
using Raised = TransferThreadPriority::Raised;

namespace {

// A broker that answers as told and notes what it was asked.
class FakeKit : public RealtimeKit {
public:
    bool reachable = true;
    Limits limits{20, 200'000};
    bool grants = true;

    int asked = 0;
    std::uint64_t thread = 0;
    std::uint32_t priority = 0;
    rlimit rtTimeWhenAsked{};

    bool readLimits(Limits& out) override {
        out = limits;
        return reachable;
    }
    bool makeThreadRealtime(std::uint64_t asker, std::uint32_t wanted) override {
        ++asked;
        thread = asker;
        priority = wanted;
        getrlimit(RLIMIT_RTTIME, &rtTimeWhenAsked);
        return grants;
    }
};

struct Outcome {
    bool rightsDropped = false;
    pid_t sender = 0;
    Raised raised = Raised::nothing;
    std::uint64_t sliceBefore = 0;
    std::uint64_t sliceDuring = 0;
};

// Raises a fresh thread's priority twice (as every sleep of a transfer does),
// where the process may not use real-time scheduling itself.
Outcome raiseWithoutRights(FakeKit* kit) {
    NoRealTimeRights rights;
    Outcome outcome;
    std::thread sender([&] {
        outcome.rightsDropped = rights.ok() && dropNiceCapability();
        outcome.sender = static_cast<pid_t>(syscall(SYS_gettid));
        outcome.sliceBefore = sliceOfThisThread();
        TransferThreadPriority priority(kit);
        priority.raise();
        priority.raise();
        outcome.raised = priority.raised();
        outcome.sliceDuring = sliceOfThisThread();
    });
    sender.join();
    return outcome;
}

// Catches the broker asked for another thread (the process id, pthread's
// handle) or above its highest priority, without the process's RLIMIT_RTTIME
// lowered to its limit first (it then refuses), once per sleep instead of once
// per transfer (its rate limit), or a refusal or silence that skips the
// normal policy's short slice.
TEST(TransferThreadPriorityTest, WithoutRealTimeRightsTheBrokerIsAskedThenTheShortSlice) {
    struct Case {
        const char* what;
        bool reachable;
        int maxPriority;
        long long rtTimeMax;
        bool grants;
        int asked;
        bool byKit;
    };
    const Case cases[] = {
        {"granted", true, 20, 200'000, true, 1, true},
        {"granted, tighter limits", true, 1, 50'000, true, 1, true},
        {"refused", true, 20, 200'000, false, 1, false},
        {"no real-time priority to give", true, 0, 200'000, true, 0, false},
        {"no broker on the bus", false, 20, 200'000, true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeKit kit;
        kit.reachable = c.reachable;
        kit.limits = {c.maxPriority, c.rtTimeMax};
        kit.grants = c.grants;
        const Outcome outcome = raiseWithoutRights(&kit);
        ASSERT_TRUE(outcome.rightsDropped);
        EXPECT_EQ(kit.asked, c.asked);
        if (c.asked > 0) {
            EXPECT_EQ(kit.thread, static_cast<std::uint64_t>(outcome.sender));
            EXPECT_EQ(kit.priority, 1U) << "the lowest real-time priority";
            EXPECT_LE(static_cast<long long>(kit.rtTimeWhenAsked.rlim_max), c.rtTimeMax);
            EXPECT_LE(kit.rtTimeWhenAsked.rlim_cur, kit.rtTimeWhenAsked.rlim_max);
        }
        if (c.byKit) {
            EXPECT_EQ(outcome.raised, Raised::realTimeByKit);
            EXPECT_EQ(outcome.sliceDuring, outcome.sliceBefore) << "real-time needs no short slice";
        } else if (outcome.sliceBefore != 0) {
            EXPECT_EQ(outcome.raised, Raised::shortSlice);
            EXPECT_LT(outcome.sliceDuring, outcome.sliceBefore);
        } else {
            EXPECT_EQ(outcome.raised, Raised::nothing) << "this kernel keeps no slice per thread";
        }
    }
}

// Catches the broker asked before the system's own real-time scheduling is
// tried: where the process has the right, it needs no broker.
TEST(TransferThreadPriorityTest, WithRealTimeRightsTheBrokerIsNotAsked) {
    int policy = -1;
    sched_param saved{};
    ASSERT_EQ(pthread_getschedparam(pthread_self(), &policy, &saved), 0);
    sched_param probe{};
    probe.sched_priority = 1;
    if (policy != SCHED_OTHER || pthread_setschedparam(pthread_self(), SCHED_FIFO, &probe) != 0) {
        GTEST_SKIP() << "this process may not use real-time scheduling";
    }
    ASSERT_EQ(pthread_setschedparam(pthread_self(), policy, &saved), 0);
    FakeKit kit;
    Raised raised = Raised::nothing;
    int during = -1;
    std::thread sender([&] {
        TransferThreadPriority priority(&kit);
        priority.raise();
        raised = priority.raised();
        during = sched_getscheduler(0);
    });
    sender.join();
    EXPECT_EQ(raised, Raised::realTime);
    EXPECT_EQ(during, SCHED_FIFO);
    EXPECT_EQ(kit.asked, 0);
}

} // namespace
