// A number typed on a card, as a child types it, against what the board then
// does in each dialect: the editor's reading of the text and the rule that
// accepts it, the generators, and the simulated board's trace.
#include "catalogue/CardSet.h"
#include "program/CardNumberRule.h"
#include "program/NumberText.h"
#include "tests/program/FieldRowsBuilder.h"
#include "tests/sim/SimBench.h"

#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace pavlune {
namespace {

using namespace std::chrono_literals;
using Problem = CardNumberRule::Problem;
using testing::card;
using testing::oneSlotRows;
using Lines = std::vector<std::string>;

constexpr int kLedOn = 0;  // basic
constexpr int kLedOff = 1; // basic
constexpr int kWaitAny = 2;
constexpr int kBeep = 3;
constexpr int kLoopAnyStart = 8;
constexpr int kLoopAnyEnd = 9;
constexpr Dialect kDialects[] = {jam, latte, que};

// What the number editor stores for `typed`, or why it refuses.
struct Typed {
    std::optional<std::string> stored;
    Problem problem;
};
Typed typeOn(int index, const std::string& typed) {
    const CardNumberRule rule = CardNumberRule::forCard(full, index);
    const std::string read = halfWidthNumber(typed);
    return {rule.accept(read), rule.check(read)};
}

Lines traceOf(Dialect dialect, const FieldRows& rows, std::chrono::seconds runFor) {
    test::Bench bench;
    bench.send(dialect, rows);
    bench.runFor(runFor);
    EXPECT_TRUE(bench.recorder.complaints.empty()) << bench.recorder.complaints.at(0);
    return bench.recorder.lines;
}

// LED on, wait, LED off: the wait is the time between the two changes, the
// same on every board. Catches full-width digits refused (item of the issue:
// "５" shown "すうじを いれてね"), a fraction reaching jam as "WAIT 60.6"
// (the board complains and does not wait), a product such as 2.3 x 60
// truncated to 137 sixtieths in que, and an emptied box taken as 0.
TEST(TypedNumberTest, AWaitLastsWhatTheCardSaysOnEveryBoard) {
    struct Case {
        const char* typed;
        const char* stored; // null: refused
        const char* ledOff; // the second change, seconds after RUN
        Problem problem;
    } cases[] = {
        {"1.5", "1.5", "1.500", Problem::none},
        {"\xEF\xBC\x91\xEF\xBC\x8E\xEF\xBC\x95", "1.5", "1.500", Problem::none}, // "１．５"
        {"\xEF\xBC\x91\xEF\xBC\x92", "12", "12.000", Problem::none},             // "１２"
        {"\xEF\xBC\x92\xE3\x80\x82\xEF\xBC\x95", "2.5", "2.500", Problem::none}, // "２。５"
        {"2.3", "2.3", "2.300", Problem::none},
        {"0.1", "0.1", "0.100", Problem::none},
        {".7", "0.7", "0.700", Problem::none},
        {"5.", "5", "5.000", Problem::none},
        {"0", "0", "0.000", Problem::none},
        {"999.9", "999.9", "999.900", Problem::none},
        {"1.01", nullptr, nullptr, Problem::tooFine},
        {"1.99", nullptr, nullptr, Problem::tooFine},
        {"1000", nullptr, nullptr, Problem::tooLarge},
        {"", nullptr, nullptr, Problem::empty},
        {"-1", nullptr, nullptr, Problem::notANumber},
        {"\xEF\xBC\x8D\xEF\xBC\x91", nullptr, nullptr, Problem::notANumber}, // "－１"
        {"1..5", nullptr, nullptr, Problem::notANumber},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const Typed typed = typeOn(kWaitAny, c.typed);
        EXPECT_EQ(typed.problem, c.problem);
        if (!c.stored) {
            EXPECT_EQ(typed.stored, std::nullopt);
            continue;
        }
        ASSERT_EQ(typed.stored, std::optional<std::string>(c.stored));
        const FieldRows rows =
            oneSlotRows({card(basic, kLedOn), card(full, kWaitAny, *typed.stored), card(basic, kLedOff)});
        const std::string off = std::string(c.ledOff);
        for (const Dialect dialect : kDialects) {
            EXPECT_EQ(traceOf(dialect, rows, 1100s),
                      (Lines{"0.000 RUN", "0.000 LED 1", off + " LED 0", off + " END"}))
                << "dialect " << static_cast<int>(dialect);
        }
    }
}

// A loop around a beep: the beeps are the turns. Catches 0 taken (jam and
// que beep once, latte never) and the count typed in full width refused.
TEST(TypedNumberTest, ALoopTurnsAsOftenAsTheCardSaysOnEveryBoard) {
    struct Case {
        const char* typed;
        int beeps; // -1: refused
        Problem problem;
    } cases[] = {
        {"1", 1, Problem::none},
        {"3", 3, Problem::none},
        {"\xEF\xBC\x91\xEF\xBC\x90", 10, Problem::none}, // "１０"
        {"007", 7, Problem::none},
        {"0", -1, Problem::tooSmall},
        {"\xEF\xBC\x90", -1, Problem::tooSmall}, // "０"
        {"2.5", -1, Problem::notWhole},
        {"65536", -1, Problem::tooLarge},
        {"", -1, Problem::empty},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const Typed typed = typeOn(kLoopAnyStart, c.typed);
        EXPECT_EQ(typed.problem, c.problem);
        if (c.beeps < 0) {
            EXPECT_EQ(typed.stored, std::nullopt);
            continue;
        }
        ASSERT_TRUE(typed.stored);
        const FieldRows rows = oneSlotRows(
            {card(full, kLoopAnyStart, *typed.stored), card(full, kBeep), card(full, kLoopAnyEnd)});
        Lines expected{"0.000 RUN"};
        expected.insert(expected.end(), static_cast<std::size_t>(c.beeps), "0.000 BEEP");
        expected.emplace_back("0.000 END");
        for (const Dialect dialect : kDialects) {
            EXPECT_EQ(traceOf(dialect, rows, 10s), expected) << "dialect " << static_cast<int>(dialect);
        }
    }
}

// The edges the trace cannot reach in reasonable time, written out by hand:
// the row each dialect sends. Catches a 16-bit operand written big-endian or
// truncated, and a wait in jam or que that is not whole sixtieths.
TEST(TypedNumberTest, EdgeNumbersAreWrittenExactly) {
    struct Case {
        int index;
        const char* value;
        const char* jamRow;
        const char* latteRow;
        std::string queBytes; // the card's own instructions
    } cases[] = {
        {kWaitAny, "999.9", "10 WAIT 59994\r\n", "sleep(999900);\n", test::instruction(0x04, 59994, 1)},
        {kWaitAny, "2.3", "10 WAIT 138\r\n", "sleep(2300);\n", test::instruction(0x04, 138, 1)},
        {kWaitAny, "0.1", "10 WAIT 6\r\n", "sleep(100);\n", test::instruction(0x04, 6, 1)},
        {kLoopAnyStart, "65535", "10 FOR I = 1 TO 65535\r\n", "i=0;\nwhile(i<65535){\n",
         test::instruction(0x09) + std::string(8, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_EQ(CardNumberRule::forCard(full, c.index).check(c.value), Problem::none);
        const FieldRows rows = oneSlotRows({card(full, c.index, c.value)});
        const std::vector<SendUnit> jamUnits =
            TextTransferAssembler(CatalogueView(jam, full)).assembleTextTransfer(rows);
        const std::vector<SendUnit> latteUnits =
            TextTransferAssembler(CatalogueView(latte, full)).assembleTextTransfer(rows);
        // Break, reset, prologue (one unit in jam, two in latte), then the row.
        ASSERT_GT(jamUnits.size(), 3u);
        ASSERT_GT(latteUnits.size(), 4u);
        EXPECT_EQ(jamUnits[3].text, c.jamRow);
        EXPECT_EQ(latteUnits[4].text, c.latteRow);
        const std::string image =
            QueProgramAssembler(CatalogueView(que, full)).assembleQueProgram(rows).image();
        EXPECT_EQ(image.substr(0, c.queBytes.size()), c.queBytes);
    }
    // The count of the loop reaches the compare of its end: 65535 as FF FF.
    const FieldRows loop =
        oneSlotRows({card(full, kLoopAnyStart, "65535"), card(full, kBeep), card(full, kLoopAnyEnd)});
    const std::string image = QueProgramAssembler(CatalogueView(que, full)).assembleQueProgram(loop).image();
    EXPECT_EQ(image.substr(24, 16), test::instruction(0x0A, 0, 1, 1) + test::instruction(0x10, 1, 2, 65535));
}

} // namespace
} // namespace pavlune
