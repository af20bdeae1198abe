// Typed numbers: reading, formatting, substitution and 16-bit operands.
#include "program/NumberText.h"

#include <clocale>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace pavlune {
namespace {

TEST(FormatNumber, WritesWhatAStreamWritesByDefault) {
    EXPECT_EQ(formatNumber(180), "180");
    EXPECT_EQ(formatNumber(2.5), "2.5");
    EXPECT_EQ(formatNumber(0.1), "0.1");
    EXPECT_EQ(formatNumber(1234567), "1.23457e+06");
    EXPECT_EQ(formatNumber(123456), "123456");
    EXPECT_EQ(formatNumber(0.0001), "0.0001");
    EXPECT_EQ(formatNumber(0.00001), "1e-05");
    EXPECT_EQ(formatNumber(-60), "-60");
    EXPECT_EQ(formatNumber(90.0), "90");
}

TEST(SubstituteNumber, ReplacesEveryOccurrenceAndNothingElse) {
    EXPECT_EQ(substituteNumber("WAIT @", "@", 180), "WAIT 180");
    EXPECT_EQ(substituteNumber("@ and @@", "@", 2), "2 and 22");
    EXPECT_EQ(substituteNumber("はこ# + 1\nもし #<3 @ へ", "@", 2), "はこ# + 1\nもし #<3 2 へ");
    EXPECT_EQ(substituteNumber("no placeholder", "@", 5), "no placeholder");
    EXPECT_EQ(substituteNumber("@LOOP", "", 5), "@LOOP");
    // The search goes on after the inserted number, so a number that itself
    // contains the placeholder text does not loop forever.
    EXPECT_EQ(substituteNumber("x1x", "1", 1), "x1x");
    EXPECT_EQ(substituteNumber("ee", "e", 1e+06), "1e+061e+06");
}

TEST(TypedNumber, ReadsTheLeadingNumberLikeAtof) {
    EXPECT_DOUBLE_EQ(typedNumber("3", 60.0), 180.0);
    EXPECT_DOUBLE_EQ(typedNumber("1.5", 60.0), 90.0);
    EXPECT_DOUBLE_EQ(typedNumber("  2", 1.0), 2.0);
    EXPECT_DOUBLE_EQ(typedNumber("4abc", 1.0), 4.0);
    EXPECT_DOUBLE_EQ(typedNumber("-2", 1000.0), -2000.0);
    EXPECT_DOUBLE_EQ(typedNumber("abc", 60.0), 0.0);
    EXPECT_DOUBLE_EQ(typedNumber("", 60.0), 0.0);
}

TEST(TypedNumber, NonFiniteCountsAsZero) {
    for (const char* value : {"inf", "-inf", "INFINITY", "nan", "-nan", "NaN(123)", "1e999", "-1e400"}) {
        EXPECT_EQ(typedNumber(value, 60.0), 0.0) << value;
    }
    // Finite text whose product overflows is no better.
    EXPECT_EQ(typedNumber("1e308", 1000.0), 0.0);
    EXPECT_DOUBLE_EQ(typedNumber("1e300", 1000.0), 1e303);
}

TEST(AcceptTypedNumber, TakesPlainNumbersThatStayFreeOfExponentForm) {
    const std::vector<float> wait = {60.0f, 1000.0f, 60.0f};
    struct Case {
        const char* typed;
        std::optional<std::string> stored;
    };
    const Case cases[] = {
        {"", ""},
        {"3", "3"},
        {".5", "0.5"},
        {"1.", "1."},
        {"1..5", std::nullopt},
        {".5.", std::nullopt},
        {"-3", std::nullopt},
        {"+3", std::nullopt},
        {" 3", std::nullopt},
        {"1e3", std::nullopt},
        {"999", "999"},             // 999000 in latte
        {"1000", std::nullopt},     // 1000000 in latte, though 60000 in jam
        {"999.9999", std::nullopt}, // 999999.9 is written "1e+06"
        {"0.001", "0.001"},         // 0.06 in jam
        {"0.000001", std::nullopt}, // jam would write 6e-05
    };
    for (const Case& c : cases) {
        EXPECT_EQ(acceptTypedNumber(c.typed, wait), c.stored) << c.typed;
    }
    // A count (multiplier 1) may be larger, and tiny text is refused there.
    EXPECT_EQ(acceptTypedNumber("999999", {1.0f}), "999999");
    EXPECT_EQ(acceptTypedNumber("1000000", {1.0f}), std::nullopt);
    EXPECT_EQ(acceptTypedNumber("0.00001", {1.0f}), std::nullopt); // "1e-05"
}

TEST(InstructionOperand, TruncatesTowardZeroAndKeepsTheLow16Bits) {
    EXPECT_EQ(toInstructionOperand(120.0), 120);
    EXPECT_EQ(toInstructionOperand(120.9), 120);
    EXPECT_EQ(toInstructionOperand(65535.99), 65535);
    EXPECT_EQ(toInstructionOperand(65536.0), 0);
    EXPECT_EQ(toInstructionOperand(70000.0), 70000 - 65536);
    EXPECT_EQ(toInstructionOperand(-1.0), 0xFFFF);
    EXPECT_EQ(toInstructionOperand(-60.0), 0xFFC4);
    EXPECT_EQ(toInstructionOperand(-0.9), 0);
    EXPECT_EQ(toInstructionOperand(-70000.7), 2 * 65536 - 70000);
}

TEST(InstructionOperand, HugeAndNonFiniteNumbersAreWellDefined) {
    // 2^40 + 5 and -(2^40 + 5): exact remainders beyond the 32-bit range.
    EXPECT_EQ(toInstructionOperand(1099511627781.0), 5);
    EXPECT_EQ(toInstructionOperand(-1099511627781.0), 65531);
    // 2^63 + 2^11 * 3: beyond int64; the remainder is still exact.
    EXPECT_EQ(toInstructionOperand(9223372036854775808.0 + 6144.0), 6144);
    // 1e30 = 2^30 * 5^30, a multiple of 65536.
    EXPECT_EQ(toInstructionOperand(1e30), 0);
    EXPECT_EQ(toInstructionOperand(-1e30), 0);
    EXPECT_EQ(toInstructionOperand(std::numeric_limits<double>::max()), 0);
    EXPECT_EQ(toInstructionOperand(std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(toInstructionOperand(-std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(toInstructionOperand(std::numeric_limits<double>::quiet_NaN()), 0);
}

} // namespace
} // namespace pavlune
