// Which field row the board's running line belongs to, checked against the
// lines the card reference says each dialect sends for the same field.
#include "program/RunningRows.h"

#include "catalogue/CardSet.h"
#include "tests/program/FieldRowsBuilder.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace pavlune {
namespace {

using testing::card;
using testing::none;

struct Expected {
    int boardLine;
    std::optional<int> row;
};

// Rows: empty, LED 1, WAIT 60, empty, LED 0, loop 3 start (two latte lines),
// LED 1, loop 3 end (two latte lines). Sent, by the card reference:
//   jam:   20 LED 1 / 30 WAIT 60 / 50 LED 0 / 60 FOR I = 1 TO 3 / 70 LED 1 / 80 NEXT
//   latte: file line 1 "var i=0;var o=0;", 2 "led(1);", 3 "sleep(1000);", 4 "led(0);",
//          5 "i=0;", 6 "while(i<3){", 7 "led(1);", 8 "i=i+1;", 9 "}", 10 the final wait
//   que:   0 empty line, 1 LED, 2 WAIT, 3 empty line, 4 LED, ...
// Catches a row index counted among the rows with cards only (every row
// after an empty one would be off by one), a latte file counted from the
// "cat" line or from 0, a card of two lines that owns only its first, and
// que's empty lines given to the card after them.
TEST(RunningRowsTest, EachDialectsLinesLeadToTheRowsThatWroteThem) {
    const FieldRows rows =
        testing::oneSlotRows({none(), card(basic, 0), card(basic, 2), none(), card(basic, 1)});
    FieldRows loops = rows;
    for (const auto& slot : {card(full, 4), card(basic, 0), card(full, 5)}) {
        loops.push_back(FieldRow{slot});
    }
    struct Case {
        Dialect dialect;
        const FieldRows& rows;
        std::vector<Expected> expected;
    };
    const Case cases[] = {
        {jam, rows, {{10, std::nullopt}, {20, 1}, {30, 2}, {40, std::nullopt}, {50, 4}, {60, std::nullopt}}},
        {latte, rows, {{1, std::nullopt}, {2, 1}, {3, 2}, {4, 4}, {5, std::nullopt}}},
        {latte, loops, {{4, 4}, {5, 5}, {6, 5}, {7, 6}, {8, 7}, {9, 7}, {10, std::nullopt}}},
        {que, rows, {{0, std::nullopt}, {1, 1}, {2, 2}, {3, std::nullopt}, {4, 4}, {5, std::nullopt}}},
    };
    for (const Case& c : cases) {
        const RunningRows map(CatalogueView(c.dialect, c.dialect == que ? basic : full), c.rows);
        for (const Expected& e : c.expected) {
            EXPECT_EQ(map.rowOf(e.boardLine), e.row) << "dialect " << c.dialect << ", line " << e.boardLine;
        }
    }
}

} // namespace
} // namespace pavlune
