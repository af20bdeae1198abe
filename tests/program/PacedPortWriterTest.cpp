#include "program/PacedPortWriter.h"

#include "program/VirtualTransferClock.h"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace pavlune;

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

Duration punctual(int) {
    return Duration::zero();
}

struct Recorded {
    Duration start;
    Duration end;
};

// `bytes` writes of `writeTime` each, every one followed by a pause (text
// dialects) or preceded by it (que).
std::vector<Recorded> writeWithPauses(VirtualTransferClock& clock, int bytes, int pauseMs, Duration writeTime,
                                      bool pauseFirst = false) {
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
        if (pauseFirst) {
            writer.pause(pauseMs);
        }
        writer.write(0x55);
        if (!pauseFirst) {
            writer.pause(pauseMs);
        }
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
        ASSERT_GE(recorded[k].start - recorded[k - 1].start, milliseconds(10)) << "pause " << k;
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
        ASSERT_GE(recorded[k].start - recorded[k - 1].start, milliseconds(5)) << "pause " << k;
    }
    EXPECT_EQ(recorded[12].start - recorded[11].start, milliseconds(5));
}

// A port whose every write takes 3 ms, as a USB-serial driver may: the time
// inside the write is taken out of the pause after it, so the send ends on
// its schedule, and still no write follows the one before sooner than the
// pause between them.
TEST(PacedPortWriterTest, SlowWritesAreTakenOutOfThePauseAfterThem) {
    struct Case {
        const char* name;
        int pauseMs;
        bool pauseFirst;
        std::function<Duration(int)> lateBy;
    };
    const Case cases[] = {
        {"jam: a byte, 50 ms", 50, false, punctual},
        {"latte: a byte, 5 ms", 5, false, punctual},
        {"que: 10 ms, a byte", 10, true, punctual},
        {"latte, one wake-up 4 ms late", 5, false,
         [](int sleep) { return sleep == 20 ? milliseconds(4) : Duration::zero(); }},
    };
    constexpr int bytes = 400;
    constexpr double lineSeconds = 10.0 / 115200.0;
    for (const Case& c : cases) {
        SluggishClock clock(c.lateBy);
        const std::vector<Recorded> recorded =
            writeWithPauses(clock, bytes, c.pauseMs, milliseconds(3), c.pauseFirst);
        ASSERT_EQ(recorded.size(), static_cast<std::size_t>(bytes)) << c.name;
        for (std::size_t k = 1; k < recorded.size(); ++k) {
            ASSERT_GE(recorded[k].start - recorded[k - 1].start, milliseconds(c.pauseMs))
                << c.name << ", before byte " << k;
        }
        // From the send's start to the last byte: its pauses and the line
        // time of the bytes before it.
        const int pausesBefore = c.pauseFirst ? bytes : bytes - 1;
        const double nominal = pausesBefore * c.pauseMs / 1000.0 + (bytes - 1) * lineSeconds;
        const double span = std::chrono::duration<double>(recorded.back().start).count();
        EXPECT_GE(span, nominal - 1e-6) << c.name;
        EXPECT_LE(span, nominal * 1.01) << c.name;
    }
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

} // namespace
