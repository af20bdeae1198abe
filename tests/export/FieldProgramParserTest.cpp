// The plain-text field program format of pavlune-export.
#include "export/FieldProgramParser.h"

#include "catalogue/CardSet.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

struct Parsed {
    bool ok = false;
    FieldRows rows;
    FieldProgramParser::Error error;
};

Parsed parse(std::string_view text) {
    Parsed result;
    result.ok = FieldProgramParser().parse(text, result.rows, result.error);
    return result;
}

FieldRow slotRow(int set, int index, std::string value = "") {
    return FieldRow{CardSlot{set, index, std::move(value)}};
}
FieldRow emptyRow() {
    return FieldRow{std::nullopt};
}

TEST(FieldProgramFormat, LinesAreRowsAndEmptyLinesAreEmptyRows) {
    const Parsed parsed = parse("basic 0\n\npaprika 14\nfull 2 3\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    EXPECT_EQ(parsed.rows,
              (FieldRows{slotRow(basic, 0), emptyRow(), slotRow(paprika, 14), slotRow(full, 2, "3")}));
}

TEST(FieldProgramFormat, FinalLineFeedAddsNoRowButALoneLineFeedIsOneEmptyRow) {
    EXPECT_EQ(parse("basic 0").rows, parse("basic 0\n").rows);
    EXPECT_EQ(parse("basic 0\n\n").rows, (FieldRows{slotRow(basic, 0), emptyRow()}));
    EXPECT_EQ(parse("\n").rows, FieldRows{emptyRow()});
    const Parsed empty = parse("");
    EXPECT_TRUE(empty.ok);
    EXPECT_TRUE(empty.rows.empty());
}

TEST(FieldProgramFormat, CrLfLineEndsAreAccepted) {
    const Parsed parsed = parse("basic 0\r\n\r\nfull 2 1.5\r\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    EXPECT_EQ(parsed.rows, (FieldRows{slotRow(basic, 0), emptyRow(), slotRow(full, 2, "1.5")}));
}

TEST(FieldProgramFormat, ValueIsTheRestOfTheLineAfterOneSpace) {
    EXPECT_EQ(parse("full 2  2 x").rows, FieldRows{slotRow(full, 2, " 2 x")});
    EXPECT_EQ(parse("full 2 ").rows, FieldRows{slotRow(full, 2, "")});
    // Set numbers stand for the names; leading zeros in an index are fine.
    EXPECT_EQ(parse("0 5\n1 0\n2 021").rows,
              (FieldRows{slotRow(basic, 5), slotRow(paprika, 0), slotRow(full, 21)}));
}

TEST(FieldProgramFormat, FortyRowsAtMost) {
    std::string forty;
    for (int i = 0; i < 40; ++i) {
        forty += "basic 0\n";
    }
    EXPECT_EQ(parse(forty).rows.size(), 40u);
    const Parsed tooMany = parse(forty + "\n");
    EXPECT_FALSE(tooMany.ok);
    EXPECT_EQ(tooMany.error.line, 41);
    EXPECT_EQ(tooMany.error.message, "more than 40 rows");
}

TEST(FieldProgramFormat, BadLinesNameTheirLine) {
    struct Case {
        const char* text;
        int line;
        const char* messageStart;
    };
    for (const Case& c : {
             Case{"basic 0\nfool 1\n", 2, "unknown card set \"fool\""},
             Case{"Basic 0", 1, "unknown card set \"Basic\""},
             Case{"3 0", 1, "unknown card set \"3\""},
             Case{" basic 0", 1, "unknown card set \"\""},
             Case{"basic", 1, "missing card index"},
             Case{"\n\nbasic 6", 3, "unknown card index \"6\" in set basic (expected 0 to 5)"},
             Case{"paprika 15", 1, "unknown card index \"15\""},
             Case{"full 22", 1, "unknown card index \"22\""},
             Case{"full -1", 1, "unknown card index \"-1\""},
             Case{"full +1", 1, "unknown card index \"+1\""},
             Case{"full 1x", 1, "unknown card index \"1x\""},
             Case{"full  1", 1, "unknown card index \"\""},
             Case{"full 99999999999999999999", 1, "unknown card index"},
             Case{"basic\t0", 1, "unknown card set \"basic\\t0\""},
         }) {
        const Parsed parsed = parse(c.text);
        EXPECT_FALSE(parsed.ok) << c.text;
        EXPECT_EQ(parsed.error.line, c.line) << c.text;
        EXPECT_EQ(parsed.error.message.rfind(c.messageStart, 0), 0u)
            << c.text << " gave " << parsed.error.message;
        EXPECT_EQ(parsed.error.message.find('\n'), std::string::npos);
    }
}

} // namespace
} // namespace pavlune
