// Lookups on a fixed selection: index checks, past-the-end defaults and the
// selected/unselected pictures.
#include "catalogue/CatalogueView.h"

#include "catalogue/CardSet.h"
#include "catalogue/Dialect.h"

#include <climits>
#include <gtest/gtest.h>
#include <stdexcept>

namespace pavlune {
namespace {

TEST(CatalogueViewRange, SetOrDialectOutsideZeroToTwoIsARangeError) {
    // An index from outside (a file, a tag) becomes a dialect or set only in range.
    EXPECT_EQ(dialectFromIndex(3), std::nullopt);
    EXPECT_EQ(dialectFromIndex(-1), std::nullopt);
    EXPECT_EQ(dialectFromIndex(2), que);
    EXPECT_EQ(cardSetFromIndex(3), std::nullopt);
    EXPECT_EQ(cardSetFromIndex(-1), std::nullopt);
    EXPECT_EQ(cardSetFromIndex(2), full);

    const CatalogueView view(latte, full);
    EXPECT_THROW(view.getCardCode(0, 3), std::out_of_range);
    EXPECT_THROW(view.getCardCode(0, -1), std::out_of_range);
    EXPECT_THROW(view.getCardFaceImage(0, INT_MIN), std::out_of_range);
    EXPECT_THROW(view.getCardBackImage(0, 3), std::out_of_range);
    EXPECT_THROW(view.getInputRects(2, 7), std::out_of_range);
    EXPECT_THROW(view.getCardSetTabImage(3), std::out_of_range);
    EXPECT_THROW(view.getDialectButtonImage(-1), std::out_of_range);
    EXPECT_THROW(view.getCardCount(3), std::out_of_range);
}

TEST(CatalogueViewRange, CardPastTheEndGivesDefaults) {
    const CatalogueView view(jam, basic);
    const CardCode pastEnd = view.getCardCode(6, basic);
    EXPECT_EQ(pastEnd, CardCode{});
    EXPECT_EQ(pastEnd.code, "");
    EXPECT_TRUE(pastEnd.bytes.empty());
    EXPECT_EQ(pastEnd.charDelay, -1);
    EXPECT_EQ(pastEnd.multiplier, 1.0f);
    EXPECT_TRUE(pastEnd.appendLineEnd);
    EXPECT_TRUE(pastEnd.echo);

    // The last card is still there; a negative index counts as past the end.
    EXPECT_EQ(view.getCardCode(5, basic).code, "GOTO @LOOP");
    EXPECT_EQ(view.getCardCode(-1, basic), CardCode{});
    EXPECT_EQ(view.getCardCode(INT_MIN, full), CardCode{});
    EXPECT_EQ(view.getCardFaceImage(15, paprika), "");
    EXPECT_EQ(view.getCardFaceImage(-1), "");
    EXPECT_EQ(view.getCardBackImage(22, full), "");
    EXPECT_TRUE(view.getInputRects(22, full).empty());
    EXPECT_TRUE(view.getInputRects(-3, full).empty());
}

TEST(CatalogueViewLookups, CardLookupsUseTheViewsDialect) {
    EXPECT_EQ(CatalogueView(jam, basic).getCardCode(2, full).code, "WAIT @");
    EXPECT_EQ(CatalogueView(latte, basic).getCardCode(2, full).code, "sleep(@);");
    EXPECT_EQ(CatalogueView(que, basic).getCardCode(2, full).code, "@かい まつ");
    EXPECT_EQ(CatalogueView(jam, basic).getCardBackImage(0, basic), "res/cards/basic/jam/r_led1_jam.png");
    EXPECT_EQ(CatalogueView(que, basic).getCardBackImage(0, basic), "res/cards/basic/latte/r_led1_latte.png");
    EXPECT_EQ(CatalogueView(jam, basic).getInputRects(8, full).at(2), engine::Rect(-77, 0, 20, 20));
    EXPECT_EQ(CatalogueView(latte, basic).getInputRects(8, full).at(2), engine::Rect(-37, -9, 15, 20));
    // Without a set, the face lookup uses the view's card set.
    EXPECT_EQ(CatalogueView(jam, paprika).getCardFaceImage(0), "res/cards/pap/r_pap_forward.png");
    EXPECT_EQ(CatalogueView(jam, full).getCardFaceImage(0), "res/cards/full/r_wait5.png");
}

TEST(CatalogueViewLookups, TabAndDialectPicturesShowTheSelection) {
    const CatalogueView view(latte, paprika);
    EXPECT_EQ(view.getCardSetTabImage(paprika), "res/cards/r_paprika_on.png");
    EXPECT_EQ(view.getCardSetTabImage(basic), "res/cards/r_basic_off.png");
    EXPECT_EQ(view.getCardSetTabImage(full), "res/cards/r_full_off.png");
    EXPECT_EQ(view.getDialectButtonImage(latte), "res/r_to_latte_on.png");
    EXPECT_EQ(view.getDialectButtonImage(jam), "res/r_to_jam.png");
    EXPECT_EQ(view.getDialectButtonImage(que), "res/r_to_que.png");
}

} // namespace
} // namespace pavlune
