// Inserting and deleting field rows: which cards move where, which go into
// the trash, and that the model holds the final state at once.
#include "FieldTestSetup.h"
#include "field/FieldRowEditor.h"

#include <array>
#include <gtest/gtest.h>

namespace pavlune {
namespace {

using namespace test;

constexpr int kLastRow = kFieldRowCount - 1;

struct Field {
    FieldModel model = designField();
    std::vector<int> rowCards; // the card put on each row, or kNoCard

    explicit Field(std::initializer_list<int> rows) : rowCards(kFieldRowCount, FieldModel::kNoCard) {
        for (const int row : rows) {
            rowCards[static_cast<std::size_t>(row)] = snapNewCard(model, row, row % 6);
        }
    }
    int card(int row) const { return rowCards[static_cast<std::size_t>(row)]; }
};

void expectOnRow(const FieldModel& model, int card, int row) {
    SCOPED_TRACE(testing::Message() << "card " << card << " on row " << row);
    EXPECT_EQ(model.cardOnRow(row), card);
    const engine::Vec2 at = model.findCard(card)->position;
    EXPECT_NEAR(at.x, centreFor(slotPoint(row)).x, 1e-3);
    EXPECT_NEAR(at.y, centreFor(slotPoint(row)).y, 1e-3);
}

TEST(FieldRowEdit, InsertOnTheLastRowSendsItsCardToTheTrash) {
    Field field({0, kLastRow});
    const RowEdit edit = FieldRowEditor(field.model).insertRow(kLastRow);

    EXPECT_EQ(edit.removed, std::vector<int>{field.card(kLastRow)});
    EXPECT_TRUE(edit.runsTrashSequence());
    EXPECT_TRUE(edit.moved.empty());
    EXPECT_EQ(field.model.findCard(field.card(kLastRow)), nullptr);
    EXPECT_EQ(field.model.useCount(basic, kLastRow % 6), 0);
    EXPECT_FALSE(field.model.rowSlot(kLastRow).isOccupied());
    expectOnRow(field.model, field.card(0), 0);
}

TEST(FieldRowEdit, InsertOnTheFirstRowMovesEveryCardDownAndDropsTheLast) {
    Field field({0, 1, 3, kLastRow - 1, kLastRow});
    const RowEdit edit = FieldRowEditor(field.model).insertRow(0);

    EXPECT_EQ(edit.removed, std::vector<int>{field.card(kLastRow)});
    ASSERT_EQ(edit.moved.size(), 4u);
    for (const int from : {0, 1, 3, kLastRow - 1}) {
        expectOnRow(field.model, field.card(from), from + 1);
    }
    // The view animates to where the model already is.
    for (const RowEdit::Move& move : edit.moved) {
        EXPECT_EQ(move.target, field.model.findCard(move.cardId)->position);
    }
    for (const int freed : {0, 3}) {
        EXPECT_FALSE(field.model.rowSlot(freed).isOccupied()) << freed;
    }
    // No link is left to the card in the trash.
    EXPECT_EQ(field.model.findCard(field.card(kLastRow - 1))->links[PlacedCard::down], FieldModel::kNoCard);
}

// Catches row cards relinked only where they moved: the card above an
// inserted row would still point down at the card that left its neighbour.
TEST(FieldRowEdit, InsertInsideABlockSplitsItsLinksAtTheNewEmptyRow) {
    Field field({4, 5, 6});
    FieldRowEditor(field.model).insertRow(5);

    expectOnRow(field.model, field.card(5), 6);
    expectOnRow(field.model, field.card(6), 7);
    EXPECT_EQ(field.model.findCard(field.card(4))->links[PlacedCard::down], FieldModel::kNoCard);
    EXPECT_EQ(field.model.findCard(field.card(5))->links[PlacedCard::up], FieldModel::kNoCard);
    EXPECT_EQ(field.model.findCard(field.card(5))->links[PlacedCard::down], field.card(6));
    EXPECT_EQ(field.model.findCard(field.card(6))->links[PlacedCard::up], field.card(5));
}

TEST(FieldRowEdit, DeleteSendsTheRowsOwnCardToTheTrash) {
    Field field({2, 3});
    const RowEdit edit = FieldRowEditor(field.model).deleteRow(2);

    EXPECT_EQ(edit.removed, std::vector<int>{field.card(2)});
    expectOnRow(field.model, field.card(3), 2);
    EXPECT_EQ(field.model.findCard(field.card(3))->links[PlacedCard::up], FieldModel::kNoCard);
}

// Catches a loop that stops one row short of the last (the card on row 40
// stays behind), a relink that starts below the first two rows, and trash
// for an empty row.
TEST(FieldRowEdit, DeleteOnAnEmptyRowMovesTheCardsBelowUpToTheLastAndRelinks) {
    Field field({0, 1, 3, kLastRow});
    const RowEdit edit = FieldRowEditor(field.model).deleteRow(2);

    EXPECT_TRUE(edit.removed.empty());
    EXPECT_FALSE(edit.runsTrashSequence());
    EXPECT_EQ(edit.moved.size(), 2u);
    expectOnRow(field.model, field.card(1), 1);
    expectOnRow(field.model, field.card(3), 2);
    expectOnRow(field.model, field.card(kLastRow), kLastRow - 1);
    EXPECT_FALSE(field.model.rowSlot(kLastRow).isOccupied());
    const PlacedCard* first = field.model.findCard(field.card(0));
    const PlacedCard* second = field.model.findCard(field.card(1));
    EXPECT_EQ(first->links[PlacedCard::down], field.card(1));
    EXPECT_EQ(second->links[PlacedCard::up], field.card(0));
    EXPECT_EQ(second->links[PlacedCard::down], field.card(3));
}

// Three loose cards let go together with the finger over the right part of a
// slot, where their left edges are far from any slot. Catches the finger
// tested against the card's edge, a group that skips a taken row and goes
// on below it, a finger row that is taken over, and a group run past the
// last row.
TEST(FieldRowEdit, ADroppedGroupTakesTheFingersFreeRowAndTheFreeRowsBelowIt) {
    constexpr int kLoose = FieldModel::kNoRow;
    // Inside the slot (547.5 to 777.5, 130 high) 200 right of its snap point.
    const engine::Vec2 overSlot(200, 50);
    const struct {
        const char* name;
        int fingerRow;
        engine::Vec2 finger;
        std::vector<int> taken;
        std::array<int, 3> rows;
    } cases[] = {
        {"free rows", 5, overSlot, {}, {5, 6, 7}},
        {"the third row taken", 5, overSlot, {7}, {5, 6, kLoose}},
        {"the second row taken", 5, overSlot, {6, 8}, {5, kLoose, kLoose}},
        {"the finger's row taken", 5, overSlot, {5}, {kLoose, kLoose, kLoose}},
        {"near the last row", kLastRow - 1, overSlot, {}, {kLastRow - 1, kLastRow, kLoose}},
        {"right of the slot", 5, {240, 0}, {}, {kLoose, kLoose, kLoose}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Field field({});
        for (const int row : c.taken) {
            snapNewCard(field.model, row);
        }
        std::vector<int> group;
        for (int k = 0; k < 3; ++k) {
            group.push_back(field.model.addCard(basic, k, {1200, kTopRowY - 900 - 130.0f * k}, kCard));
        }
        field.model.setDragGroup(group);
        const bool placed = FieldRowEditor(field.model).placeDroppedGroup(slotPoint(c.fingerRow) + c.finger);

        EXPECT_EQ(placed, c.rows[0] != kLoose);
        for (std::size_t k = 0; k < group.size(); ++k) {
            if (c.rows[k] == kLoose) {
                EXPECT_FALSE(field.model.findCard(group[k])->connectors[0].isAttached()) << k;
            } else {
                expectOnRow(field.model, group[k], c.rows[k]);
            }
        }
    }
}

} // namespace
} // namespace pavlune
