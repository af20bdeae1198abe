// The field as program file elements: what is written, what is read back,
// and that elements naming no card survive in their place.
#include "field/ProgramDocument.h"

#include "FieldTestSetup.h"

#include <gtest/gtest.h>

namespace pavlune {
namespace {

using namespace test;

engine::Value element(int set, int index, int x, int y, int zOrder, const char* value) {
    return engine::Value(engine::ValueMap{{"tab", engine::Value(set)},
                                          {"index", engine::Value(index)},
                                          {"x", engine::Value(x)},
                                          {"y", engine::Value(y)},
                                          {"zorder", engine::Value(zOrder)},
                                          {"value", engine::Value(value)}});
}

struct Loaded {
    FieldModel model = designField();
    ProgramDocument document;
    std::vector<int> ids;

    explicit Loaded(const engine::ValueVector& elements)
        : ids(document.load(elements, model, kDesignCards)) {}
};

TEST(ProgramDocument, SavedAndReopenedTheFieldHasTheSameCards) {
    FieldModel model = designField();
    const int onRow = snapNewCard(model, 4, 2, full);
    model.setCardValue(onRow, "60");
    const int loose = model.addCard(paprika, 14, {901, 3003}, kCard);
    model.setCardZOrder(loose, 1);
    model.setCardZOrder(onRow, 2);
    const engine::ValueVector saved = ProgramDocument().save(model);
    const engine::ValueVector expected{
        // The snapped card's centre is (652.5, 5514.44 - 4 x 130), truncated.
        element(full, 2, 652, 4994, 2, "60"),
        element(paprika, 14, 901, 3003, 1, ""),
    };
    ASSERT_EQ(saved, expected);

    Loaded reopened(saved);
    ASSERT_EQ(reopened.ids.size(), 2u);
    EXPECT_EQ(reopened.model.cardOnRow(4), reopened.ids[0]);
    EXPECT_EQ(reopened.model.snapTarget(), FieldModel::kNoRow);
    EXPECT_EQ(reopened.model.useCount(full, 2), 1);
    EXPECT_EQ(reopened.model.findCard(reopened.ids[1])->zOrder, 1);
    EXPECT_EQ(reopened.model.fieldRows()[4], (FieldRow{CardSlot{full, 2, "60"}}));
    EXPECT_EQ(reopened.document.save(reopened.model), saved);
}

TEST(ProgramDocument, PositionsAreTruncatedTowardZero) {
    FieldModel model = designField();
    model.addCard(basic, 0, {100.9f, -0.5f}, kCard);
    model.addCard(basic, 0, {-100.9f, 0.99f}, kCard);
    const engine::ValueVector saved = ProgramDocument().save(model);
    ASSERT_EQ(saved.size(), 2u);
    const engine::ValueMap& first = saved[0].asValueMap();
    EXPECT_EQ(first.at("x").getType(), engine::Value::Type::INTEGER);
    EXPECT_EQ(first.at("x").asInt(), 100);
    EXPECT_EQ(first.at("y").asInt(), 0);
    EXPECT_EQ(saved[1].asValueMap().at("x").asInt(), -100);
    EXPECT_EQ(saved[1].asValueMap().at("y").asInt(), 0);
}

TEST(ProgramDocument, MissingKeysReadAsZeroOrEmpty) {
    Loaded loaded(
        {engine::Value(engine::ValueMap{}), engine::Value(engine::ValueMap{{"tab", engine::Value(2)},
                                                                           {"index", engine::Value(8)},
                                                                           {"x", engine::Value(700)},
                                                                           {"y", engine::Value(2000)}})});
    ASSERT_EQ(loaded.ids.size(), 2u);
    const PlacedCard& bare = *loaded.model.findCard(loaded.ids[0]);
    EXPECT_EQ(bare.cardSet, basic);
    EXPECT_EQ(bare.cardIndex, 0);
    // (0, 0) lies under the palette: the card is kept where it can be reached.
    EXPECT_EQ(bare.position, engine::Vec2(375, 60));
    EXPECT_EQ(bare.zOrder, 1);
    const PlacedCard& partial = *loaded.model.findCard(loaded.ids[1]);
    EXPECT_EQ(partial.cardSet, full);
    EXPECT_EQ(partial.cardIndex, 8);
    EXPECT_EQ(partial.position, engine::Vec2(700, 2000));
    EXPECT_EQ(partial.zOrder, 2);
    EXPECT_EQ(partial.value, "");
}

TEST(ProgramDocument, ElementsNamingNoCardAreKeptInTheirPlace) {
    const engine::Value unknownSet = element(3, 0, 700, 2000, 5, "");
    const engine::Value pastTheSet = element(basic, 6, 700, 2300, 6, "");
    const engine::Value notADictionary("LED");
    Loaded loaded({element(basic, 0, 700, 1000, 1, ""), unknownSet, element(basic, 1, 700, 1300, 2, ""),
                   pastTheSet, notADictionary});

    ASSERT_EQ(loaded.ids.size(), 2u);
    EXPECT_EQ(loaded.model.placedCards().size(), 2u);
    EXPECT_EQ(loaded.model.useCount(basic, 0), 1);

    // Edited: the first card goes, a new one comes; the kept elements stay put.
    loaded.model.removeCard(loaded.ids[0]);
    const int added = loaded.model.addCard(full, 3, {800, 1600}, kCard);
    loaded.model.setCardZOrder(added, 3);
    const engine::ValueVector expected{unknownSet, element(basic, 1, 700, 1300, 2, ""), pastTheSet,
                                       notADictionary, element(full, 3, 800, 1600, 3, "")};
    EXPECT_EQ(loaded.document.save(loaded.model), expected);
}

} // namespace
} // namespace pavlune
