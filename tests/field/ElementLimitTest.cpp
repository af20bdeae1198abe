// A program file longer than the field shows: edits made after opening keep
// the shown cards among the first elements and the kept tail behind them, so
// a reopen, an undo or a redo shows and runs the very cards that were shown.
#include "FieldTestSetup.h"
#include "field/EditHistory.h"
#include "field/ProgramDocument.h"

#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace pavlune {
namespace {

using namespace test;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

constexpr std::size_t kLimit = ProgramDocument::kMaxElements;

Value card(int index, engine::Vec2 centre, int zOrder) {
    return Value(ProgramDocument::elementFor(basic, index, centre, zOrder, ""));
}
Value onRow(int row, int index, int zOrder) {
    return card(index, centreFor(slotPoint(row)), zOrder);
}
// Right of the column, on no row.
Value loose(std::size_t k) {
    return card(static_cast<int>(k % 5), {1200, 300 + static_cast<float>(k % 4000)}, static_cast<int>(k + 1));
}
const Value kUnknown(ValueMap{{"tab", Value(0)}, {"index", Value(999)}});

// Rows 0 and 1 hold cards 0 and 1, the rest of the first `shown` elements
// are loose cards; `tail` more elements follow, the first of them a card
// stored on row 2 (it must never show nor run).
ValueVector longProgram(std::size_t shown, std::size_t tail) {
    ValueVector elements{onRow(0, 0, 1), onRow(1, 1, 2)};
    while (elements.size() < shown) {
        elements.push_back(loose(elements.size()));
    }
    for (std::size_t k = 0; k < tail; ++k) {
        elements.push_back(k == 0 ? onRow(2, 2, 3) : loose(shown + k));
    }
    return elements;
}

struct Opened {
    FieldModel model = designField();
    ProgramDocument document;
    std::vector<int> ids;
    explicit Opened(const ValueVector& elements) : ids(document.load(elements, model, kDesignCards)) {}
};

// The rows that run, as (row, card index).
std::vector<std::pair<int, int>> runningRows(const FieldModel& model) {
    std::vector<std::pair<int, int>> rows;
    for (int row = 0; row < static_cast<int>(model.rowSlots().size()); ++row) {
        if (const PlacedCard* placed = model.findCard(model.cardOnRow(row))) {
            rows.emplace_back(row, placed->cardIndex);
        }
    }
    return rows;
}

// Catches new cards saved after the kept tail (hidden and not run after a
// reopen), a removed card's place given up while a tail follows (a tail
// element moves into view and runs), holes kept or written without a tail,
// and a hole read back as a kept element (its place lost for good).
TEST(ElementLimit, EditsAfterOpeningSaveWhatIsShownInFrontOfTheKeptTail) {
    const Value newOnRow3 = onRow(3, 3, 1);
    struct Case {
        const char* name;
        ValueVector file;
        // Removes cards (by load order) and adds some; the model as edited.
        std::function<void(Opened&)> edit;
        ValueVector saved;
        std::vector<std::pair<int, int>> rows;
    };
    const auto removeAt = [](std::size_t k) {
        return [k](Opened& opened) { opened.model.removeCard(opened.ids.at(k)); };
    };
    const auto addOnRow3 = [](FieldModel& model) {
        const int id = model.addCard(basic, 3, centreFor(slotPoint(3)), kCard);
        model.placeOnRow(id, 3);
        model.setCardZOrder(id, 1);
    };
    const ValueVector full = longProgram(kLimit, 3);
    ValueVector rowCardHoled = full;
    rowCardHoled[1] = ProgramDocument::hole();
    ValueVector looseReplaced = full;
    looseReplaced[700] = newOnRow3;
    ValueVector holedFile = full;
    holedFile[40] = ProgramDocument::hole();
    ValueVector holeFilled = full;
    holeFilled[40] = newOnRow3;
    ValueVector short1999 = longProgram(kLimit - 1, 0);
    ValueVector short1999Added = short1999;
    short1999Added.push_back(newOnRow3);
    ValueVector holedShort = longProgram(kLimit - 1, 0);
    holedShort[9] = ProgramDocument::hole();
    ValueVector holedShortSaved = holedShort;
    holedShortSaved.erase(holedShortSaved.begin() + 9);
    ValueVector shortRowRemoved = longProgram(5, 0);
    shortRowRemoved.erase(shortRowRemoved.begin() + 1);

    const Case cases[] = {
        {"a row card removed before a tail leaves a hole", full, removeAt(1), rowCardHoled, {{0, 0}}},
        {"a new card takes a removed card's place",
         full,
         [&](Opened& opened) {
             removeAt(700)(opened);
             addOnRow3(opened.model);
         },
         looseReplaced,
         {{0, 0}, {1, 1}, {3, 3}}},
        {"a new card takes a hole read from the file",
         holedFile,
         [&](Opened& opened) { addOnRow3(opened.model); },
         holeFilled,
         {{0, 0}, {1, 1}, {3, 3}}},
        {"without a tail a new card comes last",
         short1999,
         [&](Opened& opened) { addOnRow3(opened.model); },
         short1999Added,
         {{0, 0}, {1, 1}, {3, 3}}},
        {"without a tail holes go", holedShort, [](Opened&) {}, holedShortSaved, {{0, 0}, {1, 1}}},
        {"without a tail a removed card goes", longProgram(5, 0), removeAt(1), shortRowRemoved, {{0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Opened opened(c.file);
        c.edit(opened);
        const ValueVector saved = opened.document.save(opened.model);
        ASSERT_EQ(saved.size(), c.saved.size());
        for (std::size_t k = 0; k < saved.size(); ++k) {
            ASSERT_TRUE(saved[k] == c.saved[k])
                << "element " << k << saved[k].getDescription() << c.saved[k].getDescription();
        }
        EXPECT_EQ(runningRows(opened.model), c.rows);

        Opened reopened(saved);
        EXPECT_EQ(runningRows(reopened.model), c.rows) << "the program that runs is the one shown";
        EXPECT_EQ(reopened.model.placedCards().size(), opened.model.placedCards().size());
        EXPECT_EQ(reopened.model.fieldRows(), opened.model.fieldRows());
    }
}

// Catches room counted from the cards alone (kept elements also take
// places) or holes counted as kept elements.
TEST(ElementLimit, RoomForCardsIsWhatASaveCanStillShow) {
    ValueVector withUnknown = longProgram(kLimit - 2, 0);
    withUnknown[5] = kUnknown;
    ValueVector holed = longProgram(kLimit, 1);
    holed[7] = ProgramDocument::hole();
    holed[8] = ProgramDocument::hole();
    const struct {
        const char* name;
        ValueVector file;
        std::size_t room;
    } cases[] = {
        {"full with a tail", longProgram(kLimit, 1), 0}, {"full without a tail", longProgram(kLimit, 0), 0},
        {"one short", longProgram(kLimit - 1, 0), 1},    {"an unknown element takes a place", withUnknown, 2},
        {"holes before a tail are room", holed, 2},      {"empty", {}, kLimit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Opened opened(c.file);
        EXPECT_EQ(opened.document.roomForCards(opened.model), c.room);
    }
}

// Catches a step that brings back a file whose shown part differs from the
// field it was recorded from (a new card or a tail element changing sides of
// the limit on undo or redo).
TEST(ElementLimit, UndoAndRedoShowTheSameCardsAsTheEditsDid) {
    Opened opened(longProgram(kLimit, 2));
    EditHistory history;
    history.reset(opened.document.save(opened.model));
    opened.model.removeCard(opened.ids.at(1));
    history.record(opened.document.save(opened.model));
    const int added = opened.model.addCard(basic, 4, centreFor(slotPoint(4)), kCard);
    opened.model.placeOnRow(added, 4);
    history.record(opened.document.save(opened.model));

    const std::vector<std::pair<int, int>> before{{0, 0}, {1, 1}};
    const std::vector<std::pair<int, int>> removed{{0, 0}};
    const std::vector<std::pair<int, int>> addedRows{{0, 0}, {4, 4}};
    const struct {
        std::function<const EditHistory::Program*()> step;
        std::vector<std::pair<int, int>> rows;
    } steps[] = {
        {[&] { return history.undo(); }, removed}, {[&] { return history.undo(); }, before},
        {[&] { return history.redo(); }, removed}, {[&] { return history.redo(); }, addedRows},
        {[&] { return history.undo(); }, removed}, {[&] { return history.redo(); }, addedRows},
    };
    for (std::size_t k = 0; k < std::size(steps); ++k) {
        SCOPED_TRACE(k);
        const EditHistory::Program* program = steps[k].step();
        ASSERT_NE(program, nullptr);
        Opened shown(*program);
        EXPECT_EQ(runningRows(shown.model), steps[k].rows);
        EXPECT_TRUE(shown.document.leftElementsOff());
        EXPECT_EQ(program->size(), kLimit + 2) << "nothing of the file is lost";
    }
}

} // namespace
} // namespace pavlune
