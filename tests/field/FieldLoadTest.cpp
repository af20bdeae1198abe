// What the field shows after a drop or a load is what the rows hold: loose
// cards never cover a row card, rows go to the cards stored on them whatever
// the element order, z-orders and positions from a file are made sane, and
// files too long for the field lose nothing.
#include "FieldTestSetup.h"
#include "field/FieldRowEditor.h"
#include "field/ProgramDocument.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace pavlune {
namespace {

using namespace test;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

// The slots' right edge (507.5 + 40 + 230) plus the 20-unit gap and half a card.
constexpr float kBesideColumnX = 777.5f + 20 + 100;
// A card centred on row r (its left edge on the slot's snap point).
Value onRow(int row, int set, int index, int zOrder, const char* value = "") {
    const engine::Vec2 centre = centreFor(slotPoint(row));
    return Value(ValueMap{{"tab", Value(set)},
                          {"index", Value(index)},
                          {"x", Value(static_cast<int>(centre.x))},
                          {"y", Value(static_cast<int>(centre.y))},
                          {"zorder", Value(zOrder)},
                          {"value", Value(value)}});
}

Value withKey(Value element, const char* key, Value value) {
    ValueMap fields = element.asValueMap();
    fields[key] = std::move(value);
    return Value(fields);
}

struct Loaded {
    FieldModel model = designField();
    ProgramDocument document;
    std::vector<int> ids;
    explicit Loaded(const ValueVector& elements) : ids(document.load(elements, model, kDesignCards)) {}

    // (set, index) of the card on each of the first rows, -1 for none.
    std::vector<std::pair<int, int>> rows(int count) const {
        std::vector<std::pair<int, int>> kinds;
        for (int row = 0; row < count; ++row) {
            const PlacedCard* card = model.findCard(model.cardOnRow(row));
            kinds.emplace_back(card ? card->cardSet : -1, card ? card->cardIndex : -1);
        }
        return kinds;
    }
};

bool overlaps(const PlacedCard& a, const PlacedCard& b) {
    return std::fabs(a.position.x - b.position.x) < (a.size.width + b.size.width) / 2 &&
           std::fabs(a.position.y - b.position.y) < (a.size.height + b.size.height) / 2;
}

// Catches a settle that leaves a loose card on the row card (or moves the
// row card instead), for a single card, a block of two and a palette card.
TEST(FieldLoad, ACardDroppedOverATakenRowSlidesBesideTheColumn) {
    struct Case {
        const char* name;
        int groupSize; // cards dragged together, the first under the finger
        bool fromPalette;
    };
    for (const Case& c : {Case{"single", 1, false}, Case{"block", 2, false}, Case{"palette", 1, true}}) {
        SCOPED_TRACE(c.name);
        FieldModel model = designField();
        const int row0 = snapNewCard(model, 0, 1);
        const int row1 = snapNewCard(model, 1, 1);
        // Far below, two loose cards one row apart (the block) or one card.
        std::vector<int> group;
        for (int k = 0; k < c.groupSize; ++k) {
            group.push_back(model.addCard(basic, 0, {900, 2000 - kRowPitch * static_cast<float>(k)}, kCard));
        }
        model.setDragGroup(group);
        if (c.fromPalette) {
            model.raiseCards();
        }
        // The finger brings the first card's snap point onto taken row 0.
        model.moveCards(group[0], centreFor(slotPoint(0)) - model.findCard(group[0])->position, topView());
        model.endDrag();
        EXPECT_EQ(model.cardOnRow(0), row0);
        EXPECT_EQ(model.cardOnRow(1), row1);
        const std::vector<int> moved = FieldRowEditor(model).settleLooseCards();
        EXPECT_EQ(moved, group);
        for (const int id : group) {
            const PlacedCard& card = *model.findCard(id);
            EXPECT_FLOAT_EQ(card.position.x, kBesideColumnX);
            EXPECT_FALSE(overlaps(card, *model.findCard(row0)));
            EXPECT_FALSE(overlaps(card, *model.findCard(row1)));
        }
        EXPECT_FLOAT_EQ(model.findCard(row0)->position.x, centreFor(slotPoint(0)).x);
    }
}

// Catches loading that snaps in element order (a later-listed card losing
// its row, or a loose card stored over a row taking it).
TEST(FieldLoad, RowsGoToTheCardsStoredOnThemWhateverTheOrder) {
    const Value led1 = onRow(0, basic, 0, 1);
    const Value led0 = onRow(1, basic, 1, 2);
    const Value wait = onRow(2, basic, 2, 3);
    // A card saved loose exactly over row 1's card, drawn above it.
    const Value coverOn1 = onRow(1, basic, 3, 9);
    const std::vector<std::pair<int, int>> expected{{basic, 0}, {basic, 1}, {basic, 2}};
    struct Case {
        const char* name;
        ValueVector elements;
    } cases[] = {
        {"in order", {led1, led0, wait}},
        {"reversed", {wait, led0, led1}},
        {"cover listed first", {coverOn1, led1, led0, wait}},
        {"cover listed last", {led1, led0, wait, coverOn1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Loaded loaded(c.elements);
        EXPECT_EQ(loaded.rows(3), expected);
        for (const PlacedCard& card : loaded.model.placedCards()) {
            if (!card.connectors[0].isAttached()) {
                EXPECT_FLOAT_EQ(card.position.x, kBesideColumnX);
            }
        }
        // Saved and reopened, the same program.
        Loaded again(loaded.document.save(loaded.model));
        EXPECT_EQ(again.rows(3), expected);
    }
}

// What loads is what was shown: only a card stored on a row's snap point (to
// the unit its truncated position allows) holds the row; one that lay near a
// row was loose and stays loose, in the file it is saved to as well. Catches
// the loader snapping near cards as a drop does (a card 40 units below row
// 20's snap point ran as "20 LED 1").
TEST(FieldLoad, OnlyACardStoredOnItsSnapPointHoldsTheRow) {
    constexpr int kRow20 = 19;
    struct Case {
        const char* name;
        engine::Vec2 offset;
        bool attached;
    } cases[] = {
        {"on the snap point", {0, 0}, true}, {"a unit off, as truncation leaves it", {1, -1}, true},
        {"40 below", {0, -40}, false},       {"40 above", {0, 40}, false},
        {"40 right", {40, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const engine::Vec2 centre = centreFor(slotPoint(kRow20)) + c.offset;
        const Value led = Value(ValueMap{{"tab", Value(basic)},
                                         {"index", Value(0)},
                                         {"x", Value(static_cast<int>(centre.x))},
                                         {"y", Value(static_cast<int>(centre.y))},
                                         {"zorder", Value(1)},
                                         {"value", Value("")}});
        Loaded loaded({led});
        ASSERT_EQ(loaded.ids.size(), 1u);
        const PlacedCard* card = loaded.model.findCard(loaded.ids[0]);
        EXPECT_EQ(card->connectors[0].isAttached(), c.attached);
        const FieldRows rows = loaded.model.fieldRows();
        ASSERT_GT(rows.size(), static_cast<std::size_t>(kRow20));
        EXPECT_EQ(rows[kRow20].front().has_value(), c.attached);
        if (!c.attached) {
            // Loose where it lay: nothing moved it onto the row.
            EXPECT_FLOAT_EQ(card->position.y, std::trunc(centre.y));
            for (const FieldRow& row : rows) {
                EXPECT_FALSE(row.front().has_value());
            }
        }
        Loaded again(loaded.document.save(loaded.model));
        EXPECT_EQ(again.model.fieldRows()[kRow20].front().has_value(), c.attached) << "after a reopen";
    }
}

// Catches z-orders taken as stored when negative (under the paper), tied
// (drawn in any order) or huge (INT_MAX colliding with the next raise), and
// sane ones renumbered needlessly (the file would change on every opening).
TEST(FieldLoad, BadZOrdersBecomeOneToNInTheStoredOrder) {
    struct Case {
        std::vector<long long> stored;
        std::vector<int> expected;
    } cases[] = {
        {{-5, 3, 1}, {1, 3, 2}},     {{7, 7, 7}, {1, 2, 3}}, {{INT_MAX, 0, -2147483648LL}, {3, 2, 1}},
        {{5000000000LL, 2}, {2, 1}}, {{4, 1, 9}, {4, 1, 9}},
    };
    for (const Case& c : cases) {
        ValueVector elements;
        for (std::size_t k = 0; k < c.stored.size(); ++k) {
            elements.push_back(
                withKey(onRow(static_cast<int>(k), basic, 0, 0), "zorder", Value(c.stored[k])));
        }
        Loaded loaded(elements);
        ASSERT_EQ(loaded.ids.size(), c.expected.size());
        for (std::size_t k = 0; k < c.expected.size(); ++k) {
            EXPECT_EQ(loaded.model.findCard(loaded.ids[k])->zOrder, c.expected[k]) << "card " << k;
        }
    }
}

// Catches a raise over the gap a removal left giving two cards one z-order.
TEST(FieldLoad, RaisingAfterARemovalLeavesNoTies) {
    FieldModel model = designField();
    std::vector<int> ids;
    for (int k = 0; k < 3; ++k) {
        ids.push_back(model.addCard(basic, k, {900, 1000 + 200.0f * static_cast<float>(k)}, kCard));
        model.setCardZOrder(ids.back(), k + 1);
    }
    model.removeCard(ids[1]);
    model.setDragGroup({ids[0]});
    model.raiseCards();
    EXPECT_EQ(model.findCard(ids[0])->zOrder, 2);
    EXPECT_EQ(model.findCard(ids[2])->zOrder, 1);
}

// Catches keys of the wrong type read through a conversion ("2" as 2, a
// real z-order truncated): such an element is kept as it is, not shown.
TEST(FieldLoad, ElementsWithWrongTypedKeysAreKeptAndNotShown) {
    const Value good = onRow(0, basic, 0, 1);
    const Value cases[] = {
        withKey(good, "tab", Value("2")),  withKey(good, "index", Value("1")),
        withKey(good, "x", Value("652")),  withKey(good, "zorder", Value(1.5)),
        withKey(good, "value", Value(60)), withKey(good, "index", Value(true)),
    };
    for (const Value& wrong : cases) {
        Loaded loaded({wrong, onRow(1, basic, 1, 2)});
        EXPECT_EQ(loaded.ids.size(), 1u);
        EXPECT_EQ(loaded.model.cardOnRow(0), FieldModel::kNoCard);
        const ValueVector saved = loaded.document.save(loaded.model);
        ASSERT_EQ(saved.size(), 2u);
        EXPECT_EQ(saved[0], wrong);
    }
}

// Catches positions read through int (wrapped to INT_MIN, 0 or -1) and
// cards left where nobody can reach them: out-of-range positions are
// clamped into the field right of the palette, and written back so.
TEST(FieldLoad, PositionsOutsideTheFieldAreClampedIntoIt) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    // Content 1536 x 5629.44; a 200 x 120 card's centre stays within
    // x 375 (palette edge 275 + 100) .. 1436 and y 60 .. 5569.44.
    struct Case {
        Value x;
        Value y;
        int savedX;
        int savedY;
    } cases[] = {
        {Value(kInf), Value(-kInf), 1436, 60},       {Value(1e308), Value(-1e308), 1436, 60},
        {Value(-1e308), Value(1e308), 375, 5569},    {Value(5000000000LL), Value(-5000000000LL), 1436, 60},
        {Value(INT_MIN), Value(INT_MAX), 375, 5569}, {Value(900), Value(3000.75), 900, 3000},
    };
    for (const Case& c : cases) {
        Value element = withKey(withKey(onRow(0, basic, 0, 1), "x", c.x), "y", c.y);
        Loaded loaded({element});
        ASSERT_EQ(loaded.ids.size(), 1u);
        const ValueMap saved = loaded.document.save(loaded.model).at(0).asValueMap();
        EXPECT_EQ(saved.at("x").asInt64(), c.savedX);
        EXPECT_EQ(saved.at("y").asInt64(), c.savedY);
    }
}

// Catches a limit that drops the elements beyond it, or counts only cards.
TEST(FieldLoad, ALongFileOpensWithItsFirst2000ElementsAndKeepsTheRest) {
    struct Case {
        std::size_t count;
        std::size_t placed;
        bool leftOff;
    } cases[] = {{2000, 2000, false}, {2001, 2000, true}, {5000, 2000, true}};
    for (const Case& c : cases) {
        ValueVector elements;
        for (std::size_t k = 0; k < c.count; ++k) {
            elements.push_back(Value(ValueMap{{"tab", Value(1)},
                                              {"index", Value(static_cast<int>(k % 15))},
                                              {"x", Value(1000)},
                                              {"y", Value(static_cast<int>(100 + k % 5000))},
                                              {"zorder", Value(static_cast<int>(k + 1))},
                                              {"value", Value("")}}));
        }
        Loaded loaded(elements);
        EXPECT_EQ(loaded.ids.size(), c.placed);
        EXPECT_EQ(loaded.document.leftElementsOff(), c.leftOff);
        EXPECT_EQ(loaded.document.save(loaded.model), elements);
    }
}

// Catches an id index left stale by a removal (a later card found at the
// wrong place, or a removed one still found).
TEST(FieldLoad, CardsAreFoundByIdAfterRemovals) {
    FieldModel model = designField();
    std::vector<int> ids;
    for (int k = 0; k < 6; ++k) {
        ids.push_back(model.addCard(paprika, k, {900, 1000 + 130.0f * static_cast<float>(k)}, kCard));
    }
    model.removeCard(ids[1]);
    model.removeCard(ids[4]);
    EXPECT_EQ(model.findCard(ids[1]), nullptr);
    EXPECT_EQ(model.findCard(ids[4]), nullptr);
    for (const int k : {0, 2, 3, 5}) {
        ASSERT_NE(model.findCard(ids[static_cast<std::size_t>(k)]), nullptr);
        EXPECT_EQ(model.findCard(ids[static_cast<std::size_t>(k)])->cardIndex, k);
    }
    model.clear();
    EXPECT_EQ(model.findCard(ids[0]), nullptr);
    EXPECT_EQ(model.useCount(paprika, 0), 0);
}

// Catches a cancelled drag that leaves the cards where the finger was, or
// forgets to give a row card its row back.
TEST(FieldLoad, ACancelledDragPutsTheCardsBackOnTheirRows) {
    FieldModel model = designField();
    const int top = snapNewCard(model, 3, 0);
    const int below = snapNewCard(model, 4, 1);
    model.setCardZOrder(top, 1);
    model.setCardZOrder(below, 2);
    const engine::Vec2 topAt = model.findCard(top)->position;
    model.liftBlock(top);
    model.moveCards(top, {0, -900}, topView());
    model.moveCards(top, {100, -900}, topView());
    ASSERT_EQ(model.cardOnRow(3), FieldModel::kNoCard);
    model.cancelDrag();
    EXPECT_EQ(model.cardOnRow(3), top);
    EXPECT_EQ(model.cardOnRow(4), below);
    EXPECT_EQ(model.findCard(top)->position, topAt);
    EXPECT_TRUE(model.dragGroup().empty());
    EXPECT_EQ(model.findCard(top)->links[PlacedCard::down], below);
    EXPECT_EQ(model.findCard(top)->zOrder, 1) << "z-orders as before the lift";
    EXPECT_EQ(model.findCard(below)->zOrder, 2);
}

} // namespace
} // namespace pavlune
