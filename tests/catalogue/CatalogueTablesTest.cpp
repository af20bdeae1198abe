// The shape of the built-in tables: what the program generation and the card
// sprites rely on beyond the individual texts (those are checked byte for
// byte by the golden programs in tests/program).
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
    EXPECT_EQ(tables().cardBackImages[basic][jam][0], "res/cards/basic/jam/r_led1_jam.png");
    EXPECT_EQ(tables().cardBackImages[basic][latte][0], "res/cards/basic/latte/r_led1_latte.png");
    EXPECT_EQ(tables().cardBackImages[paprika][jam][9], "res/cards/pap/jam/r_pwm3_60_jam.png");
    EXPECT_EQ(tables().cardBackImages[full][latte][2], "res/cards/full/latte/r_waita_latte.png");
    EXPECT_EQ(tables().cardFaceImages[paprika][3], "res/cards/pap/r_pap_left1-1.png");
    for (int set = 0; set < kCardSetCount; ++set) {
        EXPECT_EQ(tables().cardBackImages[at(set)][que], tables().cardBackImages[at(set)][latte]);
        std::set<std::string> distinct(tables().cardFaceImages[at(set)].begin(),
                                       tables().cardFaceImages[at(set)].end());
        EXPECT_EQ(distinct.size(), tables().cardFaceImages[at(set)].size()) << "set " << set;
    }
    EXPECT_EQ(tables().inputNumberImages[que], tables().inputNumberImages[latte]);
    EXPECT_EQ(tables().inputNumberImages[jam], "res/r_input_num_jam_l.png");
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
    EXPECT_EQ(tables().inputRects[full][jam][2][2], engine::Rect(-47, 0, 60, 20));
    EXPECT_EQ(tables().inputRects[full][que][2], tables().inputRects[full][latte][2]);
    EXPECT_EQ(tables().inputRects[full][latte][8][2], engine::Rect(-37, -9, 15, 20));
    EXPECT_EQ(tables().inputRects[full][que][8][2], engine::Rect(-31, 0, 55, 20));
    EXPECT_EQ(tables().inputRects[full][jam][8][1], engine::Rect(-76, -47, 25, 13));
}

TEST(CatalogueTables, InputCardsCarryPlaceholderAndScale) {
    struct Expected {
        int dialect;
        int card;
        const char* code;
        float multiplier;
    };
    for (const Expected& e :
         {Expected{jam, 2, "WAIT @", 60.0f}, Expected{latte, 2, "sleep(@);", 1000.0f},
          Expected{jam, 8, "FOR I = 1 TO @", 1.0f}, Expected{latte, 8, "i=0;\nwhile(i<@){", 1.0f},
          Expected{que, 2, "@かい まつ", 60.0f}}) {
        const CardCode& record = tables().cardCodes[full][at(e.dialect)][at(e.card)];
        EXPECT_EQ(record.kind, CardCode::input) << e.code;
        EXPECT_EQ(record.code, e.code);
        EXPECT_EQ(record.placeholder, "@");
        EXPECT_EQ(record.multiplier, e.multiplier);
    }
    // In que the any-count loop is a fixed five-times loop.
    EXPECT_EQ(tables().cardCodes[full][que][8].kind, CardCode::fixed);
    EXPECT_TRUE(tables().cardCodes[full][que][8].placeholder.empty());
    // The jam label "@LOOP" is text, not a placeholder.
    EXPECT_TRUE(tables().cardCodes[basic][jam][4].placeholder.empty());
    EXPECT_TRUE(tables().cardCodes[basic][jam][5].placeholder.empty());

    int inputCards = 0;
    for (const auto& set : tables().cardCodes) {
        for (const auto& dialect : set) {
            for (const CardCode& record : dialect) {
                inputCards += record.kind == CardCode::input ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(inputCards, 5);
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
                // The operand slot of a jump or wait: opcode 0x05, 0x10 or 0x04.
                const std::uint8_t opcode = record.bytes[static_cast<std::size_t>(position / 8 * 8)];
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

TEST(CatalogueTables, FixedSequencesAndConstants) {
    // jam: "SAVE 0" without line end, then a lone line feed with a second's pause.
    const auto& jamEpilogue = tables().epilogueCodes[jam];
    ASSERT_EQ(jamEpilogue.size(), 3u);
    EXPECT_EQ(jamEpilogue[0].code, "SAVE 0");
    EXPECT_FALSE(jamEpilogue[0].appendLineEnd);
    EXPECT_EQ(jamEpilogue[1].code, "\n");
    EXPECT_EQ(jamEpilogue[1].charDelay, 1000);
    EXPECT_FALSE(jamEpilogue[1].appendLineEnd);
    // latte: 0x04 is followed by the line end, each with a two-second pause.
    const auto& latteEpilogue = tables().epilogueCodes[latte];
    ASSERT_EQ(latteEpilogue.size(), 3u);
    EXPECT_EQ(latteEpilogue[1].code, std::string(1, '\x04'));
    EXPECT_TRUE(latteEpilogue[1].appendLineEnd);
    EXPECT_EQ(latteEpilogue[1].charDelay, 2000);
    EXPECT_FALSE(latteEpilogue[1].echo);
    ASSERT_EQ(tables().prologueCodes[latte].size(), 2u);
    EXPECT_FALSE(tables().prologueCodes[latte][0].echo);
    EXPECT_TRUE(tables().prologueCodes[latte][1].echo);

    // que sends none of the fixed sequences.
    EXPECT_TRUE(tables().prologueCodes[que].empty());
    EXPECT_TRUE(tables().epilogueCodes[que].empty());
    EXPECT_EQ(tables().breakCodes[que].code, "");
    EXPECT_EQ(tables().resetCodes[que].code, "");

    EXPECT_EQ(tables().breakCodes[jam].code, "\x1B");
    EXPECT_EQ(tables().breakCodes[jam].charDelay, 500);
    EXPECT_EQ(tables().breakCodes[latte].charDelay, 20);
    for (int dialect = 0; dialect < kDialectCount; ++dialect) {
        EXPECT_EQ(tables().resetCodes[at(dialect)].charDelay, -1);
    }
    EXPECT_EQ(tables().charPacing, (PerDialect<int>{50, 5, 10}));
    EXPECT_EQ(tables().lineEnds, (PerDialect<std::string>{"\r\n", "\n", ""}));
    EXPECT_EQ(tables().programImageSizes, (PerDialect<int>{0, 0, 512}));
    EXPECT_EQ(tables().padBytes, (PerDialect<int>{0, 0, 255}));
    EXPECT_EQ(tables().byteCoded, (PerDialect<int>{0, 0, 1}));
}

} // namespace
} // namespace pavlune
