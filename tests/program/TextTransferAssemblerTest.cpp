// jam and latte program text: the rules behind the golden programs (the
// fixed sequences, pauses and echo flags are checked there, byte for byte).
#include "program/TextTransferAssembler.h"

#include "FieldRowsBuilder.h"
#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

using testing::card;
using testing::none;
using testing::oneSlotRows;

std::vector<SendUnit> assemble(Dialect dialect, const FieldRows& rows) {
    return TextTransferAssembler(CatalogueView(dialect, basic)).assembleTextTransfer(rows);
}

// The row units only: between the fixed sequences.
std::vector<SendUnit> rowUnits(Dialect dialect, const FieldRows& rows) {
    const std::vector<SendUnit> all = assemble(dialect, rows);
    const std::size_t before = dialect == jam ? 3 : 4; // break, reset, prologue
    const std::size_t after = 3;                       // epilogue
    return {all.begin() + static_cast<std::ptrdiff_t>(before),
            all.end() - static_cast<std::ptrdiff_t>(after)};
}

std::vector<std::string> texts(const std::vector<SendUnit>& units) {
    std::vector<std::string> result;
    for (const SendUnit& unit : units) {
        result.push_back(unit.text);
    }
    return result;
}

TEST(JamTransfer, EmptyFieldSendsOnlyTheFixedSequences) {
    const auto units = assemble(jam, oneSlotRows({none(), none(), none()}));
    EXPECT_EQ(texts(units),
              (std::vector<std::string>{"\x1B", "\nOUT0\n", "\n\n\n\n\nNEW\r\n", "SAVE 0", "\n", "RUN\r\n"}));
    EXPECT_EQ(texts(assemble(jam, {})), texts(units));
}

TEST(JamTransfer, LineNumbersKeepTheirPlaceAcrossEmptyRows) {
    const auto rows = oneSlotRows({card(basic, 0), card(basic, 1), none(), card(basic, 2), none()});
    EXPECT_EQ(texts(rowUnits(jam, rows)),
              (std::vector<std::string>{"10 LED 1\r\n", "20 LED 0\r\n", "40 WAIT 60\r\n"}));
}

TEST(JamTransfer, WaitCardScalesTheTypedNumber) {
    auto waitRow = [](std::string value) {
        return texts(rowUnits(jam, oneSlotRows({card(full, 2, value)})));
    };
    EXPECT_EQ(waitRow("3"), std::vector<std::string>{"10 WAIT 180\r\n"});
    EXPECT_EQ(waitRow("abc"), std::vector<std::string>{"10 WAIT 0\r\n"});
    EXPECT_EQ(waitRow("1.5"), std::vector<std::string>{"10 WAIT 90\r\n"});
    EXPECT_EQ(waitRow(""), std::vector<std::string>{"10 WAIT 0\r\n"});
    EXPECT_EQ(waitRow("100000"), std::vector<std::string>{"10 WAIT 6e+06\r\n"});
}

TEST(JamTransfer, LoopCardsAreTextWithoutPairing) {
    // The label "@LOOP" stays as it is; a loop without its end is sent as is.
    EXPECT_EQ(texts(rowUnits(jam, oneSlotRows({card(basic, 4), card(basic, 0), card(basic, 5)}))),
              (std::vector<std::string>{"10 @LOOP\r\n", "20 LED 1\r\n", "30 GOTO @LOOP\r\n"}));
    EXPECT_EQ(texts(rowUnits(jam, oneSlotRows({card(full, 4)}))),
              std::vector<std::string>{"10 FOR I = 1 TO 3\r\n"});
    EXPECT_EQ(texts(rowUnits(jam, oneSlotRows({card(full, 8, "7")}))),
              std::vector<std::string>{"10 FOR I = 1 TO 7\r\n"});
}

TEST(JamTransfer, CardsOfOneRowAreJoinedBehindOneLineNumber) {
    const FieldRows rows{{card(basic, 0), none(), card(full, 2, "2")}, {none()}, {card(basic, 1)}};
    EXPECT_EQ(texts(rowUnits(jam, rows)),
              (std::vector<std::string>{"10 LED 1:WAIT 120\r\n", "30 LED 0\r\n"}));
}

TEST(JamTransfer, UnknownCardsAreLeftOut) {
    const FieldRows rows{{card(basic, 6)}, {card(3, 0)}, {card(-1, 0), card(basic, 0)}, {card(full, -2)}};
    EXPECT_EQ(texts(rowUnits(jam, rows)), std::vector<std::string>{"30 LED 1\r\n"});
}

TEST(LatteTransfer, LoopBodiesAreIndentedOneLevel) {
    // The worked example: depth 0 -> 1 -> 1 -> 0.
    EXPECT_EQ(texts(rowUnits(latte, oneSlotRows({card(full, 4), card(basic, 0), card(full, 5)}))),
              (std::vector<std::string>{"i=0;\nwhile(i<3){\n", "  led(1);\n", "i=i+1;\n}\n"}));

    const auto nested = oneSlotRows({card(full, 6), card(full, 8, "2"), none(), card(full, 2, "0.5"),
                                     card(full, 9), card(basic, 1), card(full, 7), card(basic, 0)});
    EXPECT_EQ(texts(rowUnits(latte, nested)),
              (std::vector<std::string>{"i=0;\nwhile(i<5){\n", "  i=0;\nwhile(i<2){\n", "    sleep(500);\n",
                                        "  i=i+1;\n}\n", "  led(0);\n", "i=i+1;\n}\n", "led(1);\n"}));

    const auto infinite = oneSlotRows({card(basic, 4), card(basic, 3), card(basic, 5)});
    EXPECT_EQ(texts(rowUnits(latte, infinite)),
              (std::vector<std::string>{"while(uart()==-1){\n", "  sleep(3000);\n", "}\n"}));
}

TEST(LatteTransfer, ExtraLoopEndsNeverIndentNegatively) {
    const auto rows =
        oneSlotRows({card(full, 5), card(full, 5), card(basic, 0), card(full, 4), card(basic, 1)});
    EXPECT_EQ(texts(rowUnits(latte, rows)),
              (std::vector<std::string>{"i=i+1;\n}\n", "i=i+1;\n}\n", "led(1);\n", "i=0;\nwhile(i<3){\n",
                                        "led(0);\n"}));
}

TEST(LatteTransfer, ARowJoiningTwoLoopStartsCountsEachBraceOnce) {
    // Two loop starts in one row open two levels, not three.
    const FieldRows rows{{card(full, 4), card(full, 6)}, {card(basic, 0)}, {card(full, 7)}, {card(full, 5)}};
    EXPECT_EQ(texts(rowUnits(latte, rows)),
              (std::vector<std::string>{"i=0;\nwhile(i<3){i=0;\nwhile(i<5){\n", "    led(1);\n",
                                        "  i=i+1;\n}\n", "i=i+1;\n}\n"}));
}

TEST(IndentLevel, OnlyLatteIndentsAndEachSendStartsAtDepthZero) {
    TextTransferAssembler jamAssembler(CatalogueView(jam, basic));
    EXPECT_EQ(jamAssembler.indentLevel("i=0;\nwhile(i<3){\n"), 0);
    EXPECT_EQ(jamAssembler.getBraceDepth(), 0);

    TextTransferAssembler assembler(CatalogueView(latte, basic));
    EXPECT_EQ(assembler.indentLevel("i=0;\nwhile(i<3){\n"), 0);
    EXPECT_EQ(assembler.getBraceDepth(), 1);
    // Braces after the last line feed are not counted yet.
    EXPECT_EQ(assembler.indentLevel("x{"), 1);
    EXPECT_EQ(assembler.getBraceDepth(), 1);

    // An unclosed loop of one send does not indent the next.
    const auto open = oneSlotRows({card(full, 4)});
    assembler.assembleTextTransfer(open);
    EXPECT_EQ(assembler.getBraceDepth(), 1);
    EXPECT_EQ(texts(assembler.assembleTextTransfer(oneSlotRows({card(basic, 0)})))[4], "led(1);\n");
}

} // namespace
} // namespace pavlune
