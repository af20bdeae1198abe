// Numbers and times read from text by each platform's own file (the C and C++
// libraries differ): the same table holds on Linux, Windows and the browser.
#include "engine/base/DecimalText.h"
#include "engine/base/UtcTime.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(PlatformTextTest, DecimalsReadAlikeEverywhere) {
    const struct {
        std::string text;
        double expected;
    } cases[] = {
        {"0.5", 0.5},    {"-2.25xyz", -2.25}, {".5", 0.5},         {"5.", 5.0},
        {"1e3", 1000.0}, {"", 0.0},           {"x", 0.0},          {"-", 0.0},
        {"0x10", 0.0},   {"1,5", 1.0},        {"1e400", HUGE_VAL}, {"-1e400", -HUGE_VAL},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(engine::parseDecimal(c.text.data(), c.text.data() + c.text.size()), c.expected) << c.text;
    }
    // Only the given range is read, not what follows it in memory.
    const std::string longer = "12345";
    EXPECT_EQ(engine::parseDecimal(longer.data(), longer.data() + 2), 12.0);
}

TEST(PlatformTextTest, UtcTimesReadAlikeEverywhere) {
    const struct {
        std::string text;
        bool read;
        std::int64_t seconds;
    } cases[] = {
        {"1970-01-01T00:00:00Z", true, 0},
        {"2001-01-01T00:00:00Z", true, 978307200},
        {"2024-02-29T12:00:00Z", true, 1709208000},
        {"2026-01-02T03:04:05Z", true, 1767323045},
        {"2026-01-02T03:04:05Z ", false, 0},
        {"2026-01-02T03:04:05", false, 0},
        {"2026-01-02 03:04:05Z", false, 0},
        {"2026-13-02T03:04:05Z", false, 0},
        {"yesterday", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        std::int64_t seconds = -1;
        EXPECT_EQ(engine::parseUtcTime(c.text, seconds), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(seconds, c.seconds) << c.text;
        }
    }
}

} // namespace
