// The numbers a card takes, typed or read from a file, and what the number
// editor and play say when they refuse one.
#include "program/CardNumberRule.h"

#include "FieldRowsBuilder.h"
#include "catalogue/CardSet.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

using Problem = CardNumberRule::Problem;
using testing::card;
using testing::none;
using testing::oneSlotRows;

// The wait card: 60 per second in jam, 1000 in latte, so below 1000 s, in
// tenths. The any-count loop: whole turns from 1 that the que compare (16
// bits) holds. Empty is no number on either.
TEST(CardNumberRule, JudgesTypedAndStoredNumbers) {
    const std::string tenThousandDigits(10000, '9');
    struct Case {
        int set;
        int index;
        std::string text;
        Problem expected;
    } cases[] = {
        {full, 2, "1.5", Problem::none},
        {full, 2, "", Problem::empty},
        {full, 2, "999.9", Problem::none},
        {full, 2, "0.05", Problem::tooFine},
        {full, 2, ".5", Problem::none},
        {full, 2, "999", Problem::none},
        {full, 2, "1000", Problem::tooLarge},
        {full, 2, "-5", Problem::notANumber},
        {full, 2, "1e9", Problem::notANumber},
        {full, 2, "0x10", Problem::notANumber},
        {full, 2, "1.2.3", Problem::notANumber},
        {full, 2, ".", Problem::notANumber},
        {full, 2, "\xC3\x28", Problem::notANumber},
        {full, 2, tenThousandDigits, Problem::tooLarge},
        {full, 8, "3", Problem::none},
        {full, 8, "65535", Problem::none},
        {full, 8, "0065535", Problem::none},
        {full, 8, "65536", Problem::tooLarge},
        {full, 8, "2.5", Problem::notWhole},
        {full, 8, "1", Problem::none},
        {full, 8, "0", Problem::tooSmall},
        {full, 8, "000", Problem::tooSmall},
        {full, 8, "", Problem::empty},
        {full, 8, tenThousandDigits, Problem::tooLarge},
        // Cards without a number take any value; it is never read.
        {basic, 0, "abc", Problem::none},
        {full, 9, "-5", Problem::none},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CardNumberRule::forCard(c.set, c.index).check(c.text), c.expected)
            << c.set << "/" << c.index << " " << c.text.substr(0, 12);
    }
}

TEST(CardNumberRule, SaysWhyItRefuses) {
    const CardNumberRule wait = CardNumberRule::forCard(full, 2);
    const CardNumberRule loop = CardNumberRule::forCard(full, 8);
    EXPECT_EQ(wait.check("abc"), CardNumberRule::Problem::notANumber);
    EXPECT_EQ(wait.check("1000"), CardNumberRule::Problem::tooLarge);
    EXPECT_EQ(wait.limitText(), "1000");
    EXPECT_FALSE(wait.countsTurns());
    EXPECT_EQ(loop.check("2.5"), CardNumberRule::Problem::notWhole);
    EXPECT_EQ(loop.check("x"), CardNumberRule::Problem::notANumber);
    EXPECT_EQ(loop.limitText(), "65535");
    EXPECT_TRUE(loop.countsTurns());
    EXPECT_EQ(wait.accept(".5"), std::optional<std::string>("0.5"));
    EXPECT_EQ(wait.accept("5."), std::optional<std::string>("5"));
    EXPECT_EQ(wait.startingValue(), "1");
    EXPECT_EQ(loop.startingValue(), "1");
    EXPECT_EQ(CardNumberRule::forCard(basic, 0).startingValue(), "");
    EXPECT_EQ(wait.accept("1e9"), std::nullopt);
}

// Catches a check that stops at the first row or names the row by its index.
TEST(CardNumberRule, NamesTheFirstRowWithAWrongNumber) {
    EXPECT_EQ(CardNumberRule::firstWrongRow(oneSlotRows({card(full, 2, "3"), none(), card(full, 8, "4")})),
              std::nullopt);
    const FieldRows rows = oneSlotRows(
        {card(full, 2, "3"), none(), card(basic, 0, "-1"), card(full, 2, "1e9"), card(full, 8, "-5")});
    EXPECT_EQ(CardNumberRule::firstWrongRow(rows), std::optional<int>(3));
}

} // namespace
} // namespace pavlune
