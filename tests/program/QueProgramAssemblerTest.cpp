// que programs: the worked example byte for byte, loop pairing, empty lines,
// typed numbers in operands and the padding rule.
#include "program/QueProgramAssembler.h"

#include "FieldRowsBuilder.h"
#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

using testing::card;
using testing::none;
using testing::oneSlotRows;

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

QueProgram assemble(const FieldRows& rows) {
    return QueProgramAssembler(CatalogueView(que, basic)).assembleQueProgram(rows);
}

// All groups of the program in order.
std::vector<QueGroup> groups(const QueProgram& program) {
    std::vector<QueGroup> all;
    for (const auto& row : program.rows) {
        all.insert(all.end(), row.begin(), row.end());
    }
    return all;
}

TEST(QueProgram, WorkedExampleLoopThreeAroundLedOn) {
    const QueProgram program = assemble(oneSlotRows({card(full, 4), card(basic, 0), card(full, 5)}));
    ASSERT_EQ(program.rows.size(), 3u);
    const std::vector<std::vector<QueGroup>> expected{
        {{Bytes{0x09, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, Lines{"1 はこ# = 0", "2 "}, false}},
        {{Bytes{0x01, 0, 0x01, 0, 0, 0, 0, 0}, 2, Lines{"3 LEDを つける"}, false}},
        {{Bytes{0x0A, 0, 0, 0, 0x01, 0, 0x01, 0, 0x10, 0, 0x01, 0, 0x02, 0, 0x03, 0}, 3,
          Lines{"4 はこ# + 1", "5 もし #<3 2 へ"}, false}},
    };
    EXPECT_EQ(program.rows, expected);
    EXPECT_EQ(program.instructionByteCount(), 40u);
    EXPECT_EQ(program.paddingByteCount(), 472u);
    const std::string image = program.image();
    ASSERT_EQ(image.size(), 512u);
    EXPECT_EQ(image.substr(40), std::string(472, '\xFF'));
}

TEST(QueProgram, WaitCardWritesItsScaledNumberIntoTheOperand) {
    auto waitGroup = [](std::string value) {
        return groups(assemble(oneSlotRows({card(full, 2, value)}))).at(0);
    };
    const QueGroup two = waitGroup("2");
    EXPECT_EQ(two.bytes, (Bytes{0x04, 0, 0x78, 0, 0x01, 0, 0, 0}));
    EXPECT_EQ(two.displayLines, Lines{"1 120かい まつ"});
    // Modulo 65536, and a negative number as its two's complement.
    EXPECT_EQ(waitGroup("1100").bytes, (Bytes{0x04, 0, 0xD0, 0x01, 0x01, 0, 0, 0})); // 66000 - 65536 = 464
    EXPECT_EQ(waitGroup("-1").bytes, (Bytes{0x04, 0, 0xC4, 0xFF, 0x01, 0, 0, 0}));
    // A value the rule refuses (it only comes from a file) rounds as the card's back shows it.
    EXPECT_EQ(waitGroup("0.01").bytes, (Bytes{0x04, 0, 0x01, 0, 0x01, 0, 0, 0})); // 0.6 rounds to 1
    EXPECT_EQ(waitGroup("abc").displayLines, Lines{"1 0かい まつ"});
    EXPECT_EQ(waitGroup("1e30").bytes, (Bytes{0x04, 0, 0, 0, 0x01, 0, 0, 0}));
    EXPECT_EQ(waitGroup("1e30").displayLines, Lines{"1 6e+31かい まつ"});
}

TEST(QueProgram, EmptyRowsBetweenCardsBecomeEmptyLinesOfTheCardsRow) {
    const QueProgram program =
        assemble(oneSlotRows({none(), card(basic, 0), none(), none(), card(basic, 1), none()}));
    ASSERT_EQ(program.rows.size(), 6u);
    EXPECT_TRUE(program.rows[0].empty());
    ASSERT_EQ(program.rows[1].size(), 2u);
    EXPECT_EQ(program.rows[1][0], (QueGroup{Bytes(8, 0), 0, Lines{"1"}, true}));
    EXPECT_EQ(program.rows[1][1].firstLine, 1);
    EXPECT_TRUE(program.rows[2].empty());
    EXPECT_TRUE(program.rows[3].empty());
    ASSERT_EQ(program.rows[4].size(), 3u);
    EXPECT_EQ(program.rows[4][0], (QueGroup{Bytes(8, 0), 2, Lines{"3"}, true}));
    EXPECT_EQ(program.rows[4][1], (QueGroup{Bytes(8, 0), 3, Lines{"4"}, true}));
    EXPECT_EQ(program.rows[4][2].firstLine, 4);
    EXPECT_EQ(program.rows[4][2].displayLines, Lines{"5 LEDを けす"});
    // Empty rows after the last card are not sent.
    EXPECT_TRUE(program.rows[5].empty());
    EXPECT_EQ(program.instructionByteCount(), 40u);
}

TEST(QueProgram, LoopEndWithoutOpenStartKeepsLineZeroAndShowsItsOwnNumber) {
    const auto ends = groups(assemble(oneSlotRows({card(full, 5), card(basic, 5, "7")})));
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[0].bytes, (Bytes{0x0A, 0, 0, 0, 0x01, 0, 0x01, 0, 0x10, 0, 0, 0, 0x02, 0, 0x03, 0}));
    EXPECT_EQ(ends[0].displayLines, (Lines{"1 はこ# + 1", "2 もし #<3 0 へ"}));
    EXPECT_EQ(ends[1].bytes, (Bytes{0x05, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ends[1].displayLines, Lines{"3 7 へ 行く"});
}

TEST(QueProgram, InfiniteLoopJumpsToItsOwnEmptyLine) {
    const auto all =
        groups(assemble(oneSlotRows({card(basic, 0), card(basic, 4), card(basic, 3), card(basic, 5)})));
    ASSERT_EQ(all.size(), 4u);
    // The loop start has no text, so no display line, but it takes line 1.
    EXPECT_EQ(all[1].firstLine, 1);
    EXPECT_TRUE(all[1].displayLines.empty());
    EXPECT_EQ(all[2].displayLines, Lines{"3 180かい まつ"});
    EXPECT_EQ(all[3].bytes, (Bytes{0x05, 0, 0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(all[3].displayLines, Lines{"4 2 へ 行く"});
}

TEST(QueProgram, CrossedLoopsCloseTheNearestStartOfTheirOwnKind) {
    // loop 3 start, loop 5 start, loop 3 end, loop 5 end.
    const auto all =
        groups(assemble(oneSlotRows({card(full, 4), card(full, 6), card(full, 5), card(full, 7)})));
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[2].firstLine, 4);
    EXPECT_EQ(all[2].bytes[10], 1); // loop 3 top: line 1
    EXPECT_EQ(all[2].displayLines[1], "6 もし #<3 2 へ");
    EXPECT_EQ(all[3].bytes[10], 3); // loop 5 top: line 3, still open
    EXPECT_EQ(all[3].displayLines[1], "8 もし #<5 4 へ");

    // Nested loops of one kind pair inner with inner.
    const auto nested =
        groups(assemble(oneSlotRows({card(full, 4), card(full, 4), card(full, 5), card(full, 5)})));
    EXPECT_EQ(nested[2].bytes[10], 3);
    EXPECT_EQ(nested[3].bytes[10], 1);
    // A start is used once: a third end finds nothing open.
    const auto extra = groups(assemble(oneSlotRows({card(full, 4), card(full, 5), card(full, 5)})));
    EXPECT_EQ(extra[2].bytes[10], 0);
    EXPECT_EQ(extra[2].displayLines[1], "6 もし #<3 0 へ");
}

TEST(QueProgram, LoopEndClosesOnlyAStartOfItsOwnCardSet) {
    // LED on, the basic loop start (line 1), the full loop-3 end, which has
    // the basic loop end's index, then the basic loop end.
    const auto all =
        groups(assemble(oneSlotRows({card(basic, 0), card(basic, 4), card(full, 5), card(basic, 5)})));
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[2].bytes[10], 0) << "the full end finds no full start open";
    EXPECT_EQ(all[3].bytes, (Bytes{0x05, 0, 0x01, 0, 0, 0, 0, 0})) << "the basic end jumps to its start";
}

// Catches the compare left at the catalogue's 5 (or the count written into
// the jump line), and a listing that shows another count than the bytes.
TEST(QueProgram, AnyCountLoopRepeatsTheTypedNumberOfTimes) {
    struct Case {
        const char* typed;
        Bytes end;
        Lines shown;
    } cases[] = {
        {"3", Bytes{0x0A, 0, 0, 0, 0x01, 0, 0x01, 0, 0x10, 0, 0x01, 0, 0x02, 0, 0x03, 0},
         Lines{"4 はこ# + 1", "5 もし #<3 2 へ"}},
        {"300", Bytes{0x0A, 0, 0, 0, 0x01, 0, 0x01, 0, 0x10, 0, 0x01, 0, 0x02, 0, 0x2C, 0x01},
         Lines{"4 はこ# + 1", "5 もし #<300 2 へ"}},
        {"65535", Bytes{0x0A, 0, 0, 0, 0x01, 0, 0x01, 0, 0x10, 0, 0x01, 0, 0x02, 0, 0xFF, 0xFF},
         Lines{"4 はこ# + 1", "5 もし #<65535 2 へ"}},
    };
    for (const Case& c : cases) {
        const auto all =
            groups(assemble(oneSlotRows({card(full, 8, c.typed), card(basic, 0), card(full, 9)})));
        ASSERT_EQ(all.size(), 3u);
        EXPECT_EQ(all[0].bytes, (Bytes{0x09, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(all[2].bytes, c.end) << c.typed;
        EXPECT_EQ(all[2].displayLines, c.shown) << c.typed;
    }
    // An end without its start keeps the catalogue's compare of 5.
    const auto alone = groups(assemble(oneSlotRows({card(full, 9)})));
    EXPECT_EQ(alone[0].bytes[14], 5);
    EXPECT_EQ(alone[0].displayLines, (Lines{"1 はこ# + 1", "2 もし #<5 0 へ"}));
    // An any-count end does not close a five-times start, nor the reverse.
    const auto mixed = groups(assemble(oneSlotRows({card(full, 6), card(full, 9)})));
    EXPECT_EQ(mixed[1].bytes[10], 0);
}

TEST(QueProgram, PaddingFillsUpTo512BytesOnly) {
    FieldRows rows;
    for (int i = 0; i < 64; ++i) {
        rows.push_back({card(basic, 0)});
    }
    const QueProgram exact = assemble(rows);
    EXPECT_EQ(exact.instructionByteCount(), 512u);
    EXPECT_EQ(exact.paddingByteCount(), 0u);
    EXPECT_EQ(exact.image().size(), 512u);

    rows.push_back({card(basic, 1)});
    const QueProgram over = assemble(rows);
    EXPECT_EQ(over.paddingByteCount(), 0u);
    EXPECT_EQ(over.image().size(), 520u);

    const QueProgram empty = assemble(oneSlotRows({none(), none()}));
    EXPECT_EQ(empty.image(), std::string(512, '\xFF'));
}

TEST(QueProgram, UnknownCardsCountAsEmptySlots) {
    const QueProgram program = assemble(FieldRows{{card(full, 22)}, {card(7, 0), card(basic, 0)}});
    ASSERT_EQ(program.rows[1].size(), 3u);
    EXPECT_TRUE(program.rows[1][0].emptyLine);
    EXPECT_TRUE(program.rows[1][1].emptyLine);
    EXPECT_EQ(program.rows[1][2].firstLine, 2);
}

TEST(QueProgram, EachAssemblyStartsAfresh) {
    QueProgramAssembler assembler(CatalogueView(que, basic));
    assembler.assembleQueProgram(oneSlotRows({card(full, 4), none()}));
    const QueProgram second = assembler.assembleQueProgram(oneSlotRows({card(basic, 0), card(full, 5)}));
    EXPECT_EQ(second.rows[0][0].firstLine, 0);
    // The loop left open by the first program does not close here.
    EXPECT_EQ(second.rows[1][0].bytes[10], 0);
}

} // namespace
} // namespace pavlune
