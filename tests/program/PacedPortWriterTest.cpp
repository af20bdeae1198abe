#include "program/PacedPortWriter.h"

#include "program/SteadyTransferClock.h"
#include "program/VirtualTransferClock.h"
#include "tests/program/SchedulingRights.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace pavlune;
using namespace scheduling_rights;

namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using Duration = TransferClock::Duration;

// A virtual clock whose sleeps wake late (by an amount chosen per sleep),
// like a busy machine.
class SluggishClock : public VirtualTransferClock {
public:
    explicit SluggishClock(std::function<Duration(int)> lateBy) : lateBy_(std::move(lateBy)) {}
    void sleepUntil(TimePoint deadline) override {
        if (deadline > now()) {
            VirtualTransferClock::sleepUntil(deadline + lateBy_(sleeps_++));
        }
    }

private:
    std::function<Duration(int)> lateBy_;
    int sleeps_ = 0;
};

struct Recorded {
    Duration start;
    Duration end;
};

std::vector<Recorded> writeWithPauses(VirtualTransferClock& clock, int bytes, int pauseMs,
                                      Duration writeTime) {
    std::vector<Recorded> recorded;
    PacedPortWriter writer(
        [&](std::uint8_t) {
            const Duration start = clock.elapsed();
            clock.advance(writeTime);
            recorded.push_back({start, clock.elapsed()});
            return true;
        },
        clock);
    for (int i = 0; i < bytes; ++i) {
        writer.write(0x55);
        writer.pause(pauseMs);
    }
    return recorded;
}

TEST(PacedPortWriterTest, LineTimeIsTenBitsAt115200BaudWithoutAccumulatedRounding) {
    EXPECT_EQ(PacedPortWriter::lineTime(1), std::chrono::nanoseconds(86805));
    EXPECT_EQ(PacedPortWriter::lineTime(115200), std::chrono::seconds(10));
    EXPECT_EQ(PacedPortWriter::lineTime(0), Duration::zero());
}

TEST(PacedPortWriterTest, LateWakeUpsShorterThanTheLineTimeDoNotAddUp) {
    SluggishClock clock([](int) { return microseconds(60); });
    const std::vector<Recorded> recorded = writeWithPauses(clock, 1000, 10, microseconds(5));
    for (std::size_t k = 1; k < recorded.size(); ++k) {
        ASSERT_GE(recorded[k].start - recorded[k - 1].end, milliseconds(10)) << "pause " << k;
    }
    // The last byte starts on the nominal schedule plus one late wake-up, not 999 of them.
    const Duration nominal = milliseconds(10 * 999) + PacedPortWriter::lineTime(999);
    EXPECT_EQ(recorded.back().start, nominal + microseconds(60));
}

TEST(PacedPortWriterTest, NoPauseIsShortenedToCatchUpWithALongDelay) {
    // One sleep wakes 3 ms late; the schedule is then behind, but the next
    // pause still lasts its full 5 ms.
    SluggishClock clock([](int sleep) { return sleep == 10 ? milliseconds(3) : Duration::zero(); });
    const std::vector<Recorded> recorded = writeWithPauses(clock, 100, 5, microseconds(5));
    for (std::size_t k = 1; k < recorded.size(); ++k) {
        ASSERT_GE(recorded[k].start - recorded[k - 1].end, milliseconds(5)) << "pause " << k;
    }
    EXPECT_EQ(recorded[12].start - recorded[11].end, milliseconds(5));
}

TEST(PacedPortWriterTest, SlowWritesCountAgainstTheLineTime) {
    VirtualTransferClock clock;
    const std::vector<Recorded> recorded = writeWithPauses(clock, 3, 50, microseconds(80));
    // An 80 us write fits in the 86.8 us a byte takes on the line anyway.
    EXPECT_EQ(recorded[1].start, milliseconds(50) + PacedPortWriter::lineTime(1));
    EXPECT_EQ(recorded[2].start, milliseconds(100) + PacedPortWriter::lineTime(2));
}

TEST(PacedPortWriterTest, NegativePauseDoesNotWaitAndFailedWritesTakeNoLineTime) {
    VirtualTransferClock clock;
    int calls = 0;
    PacedPortWriter writer([&](std::uint8_t) { return ++calls != 1; }, clock);
    EXPECT_FALSE(writer.write(1));
    writer.pause(-1);
    EXPECT_EQ(clock.elapsed(), Duration::zero());
    EXPECT_TRUE(writer.write(2));
    writer.pause(20);
    EXPECT_EQ(clock.elapsed(), milliseconds(20) + PacedPortWriter::lineTime(1));
}

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
