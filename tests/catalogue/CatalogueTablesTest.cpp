// The shape of the built-in tables: what the program generation and the card
// sprites rely on beyond the individual texts, pauses and byte codes (those
// are checked byte for byte by the golden programs in tests/program, which a
// second reading of the tables in golden/check_goldens.py checks in turn).
#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>
#include <set>

namespace pavlune {
namespace {

const Catalogue& tables() {
    return Catalogue::get();
}

std::size_t at(int value) {
    return static_cast<std::size_t>(value);
}

TEST(CatalogueTables, EverySetLinesUpAcrossItsTables) {
    const std::array<std::size_t, kCardSetCount> counts{6, 15, 22};
    for (int set = 0; set < kCardSetCount; ++set) {
        SCOPED_TRACE(set);
        EXPECT_EQ(tables().cardFaceImages[at(set)].size(), counts[at(set)]);
        for (int dialect = 0; dialect < kDialectCount; ++dialect) {
            EXPECT_EQ(tables().cardBackImages[at(set)][at(dialect)].size(), counts[at(set)]);
            EXPECT_EQ(tables().cardCodes[at(set)][at(dialect)].size(), counts[at(set)]);
            EXPECT_EQ(tables().inputRects[at(set)][at(dialect)].size(), counts[at(set)]);
        }
    }
}

TEST(CatalogueTables, BackPicturesFollowTheSetDirectoryAndQueUsesLatte) {
    // One path checked for the naming rule; PictureFilesTest finds every named file.
    EXPECT_EQ(tables().cardBackImages[paprika][jam][9], "res/cards/pap/jam/r_pwm3_60_jam.png");
    for (int set = 0; set < kCardSetCount; ++set) {
        EXPECT_EQ(tables().cardBackImages[at(set)][que], tables().cardBackImages[at(set)][latte]);
        std::set<std::string> distinct(tables().cardFaceImages[at(set)].begin(),
                                       tables().cardFaceImages[at(set)].end());
        EXPECT_EQ(distinct.size(), tables().cardFaceImages[at(set)].size()) << "set " << set;
    }
    EXPECT_EQ(tables().inputNumberImages[que], tables().inputNumberImages[latte]);
}

TEST(CatalogueTables, OnlyTheTwoFullInputCardsHaveNumberFields) {
    for (int set = 0; set < kCardSetCount; ++set) {
        for (int dialect = 0; dialect < kDialectCount; ++dialect) {
            const auto& rects = tables().inputRects[at(set)][at(dialect)];
            for (std::size_t card = 0; card < rects.size(); ++card) {
                const bool inputCard = set == full && (card == 2 || card == 8);
                EXPECT_EQ(rects[card].size(), inputCard ? 3u : 0u) << set << "/" << dialect << "/" << card;
            }
        }
    }
    EXPECT_EQ(tables().inputRects[full][que][2], tables().inputRects[full][latte][2]);
}

TEST(CatalogueTables, QueRecordsAreWholeInstructionsWithValidPatches) {
    for (int set = 0; set < kCardSetCount; ++set) {
        for (const CardCode& record : tables().cardCodes[at(set)][que]) {
            SCOPED_TRACE(record.code);
            ASSERT_FALSE(record.bytes.empty());
            EXPECT_EQ(record.bytes.size() % 8, 0u);
            for (const auto& [name, patch] : record.patches) {
                const int position = patch.at(CardCode::kPatchPosition);
                EXPECT_EQ(patch.at(CardCode::kPatchSize), 2);
                ASSERT_LE(static_cast<std::size_t>(position) + 2, record.bytes.size());
                // The operand slot of a jump or wait (opcode 0x05, 0x10 or
                // 0x04, bytes 2-3), or the compared count of a 0x10 (bytes 6-7).
                const std::uint8_t opcode = record.bytes[static_cast<std::size_t>(position / 8 * 8)];
                if (name == "count") {
                    EXPECT_EQ(position % 8, 6);
                    EXPECT_EQ(opcode, 0x10);
                    continue;
                }
                EXPECT_EQ(position % 8, 2);
                EXPECT_TRUE(name == "line" ? (opcode == 0x05 || opcode == 0x10)
                                           : (opcode == 0x04 && name == "input"));
            }
        }
        for (int dialect : {jam, latte}) {
            for (const CardCode& record : tables().cardCodes[at(set)][at(dialect)]) {
                EXPECT_TRUE(record.bytes.empty());
                EXPECT_TRUE(record.patches.empty());
                EXPECT_FALSE(record.isLoopStart());
            }
        }
    }
}

TEST(CatalogueTables, QueLoopStartsNameTheirOwnEndCard) {
    std::vector<std::pair<int, int>> starts; // (set, index)
    for (int set = 0; set < kCardSetCount; ++set) {
        const auto& records = tables().cardCodes[at(set)][que];
        for (std::size_t card = 0; card < records.size(); ++card) {
            if (records[card].isLoopStart()) {
                starts.emplace_back(set, static_cast<int>(card));
                EXPECT_EQ(records[card].pairEndSet, set);
                EXPECT_EQ(records[card].pairEndIndex, static_cast<int>(card) + 1);
                // The start ends with the empty line its loop end jumps to.
                const auto& bytes = records[card].bytes;
                EXPECT_TRUE(std::all_of(bytes.end() - 8, bytes.end(), [](std::uint8_t b) { return b == 0; }));
                EXPECT_TRUE(records[card + 1].twoBytePatch(CardCode::kPatchLine) != nullptr);
                EXPECT_EQ(records[card + 1].placeholder, "@");
            }
        }
    }
    const std::vector<std::pair<int, int>> expected{{basic, 4}, {full, 4}, {full, 6}, {full, 8}};
    EXPECT_EQ(starts, expected);
}

} // namespace
} // namespace pavlune
