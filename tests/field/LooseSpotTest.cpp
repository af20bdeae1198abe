// Where a loose card may lie on the screen: the nearest clear place beside
// what it covers, off other loose cards where there is room.
#include "field/LooseSpot.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace pavlune {
namespace {

using engine::Rect;
using engine::Vec2;

// A field 300..1000 x 0..700 and a card 200 x 100, with a "panel" at the
// right edge 850..1000 x 200..500. Expected centres are worked out by hand:
// beside the panel on the left is x 850 - 2 - 100 = 748; above it
// y 500 + 2 + 50 = 552, below it 200 - 2 - 50 = 148.
TEST(LooseSpot, ACardUnderAControlGoesToTheNearestClearPlaceOffOtherLooseCardsWhereThereIsRoom) {
    const Rect field(300, 0, 700, 700);
    const engine::Size card(200, 100);
    const Rect panel(850, 200, 150, 300);
    const struct {
        const char* name;
        Vec2 centre;
        std::vector<Rect> avoided;
        bool always;
        std::optional<Vec2> expected;
    } cases[] = {
        {"clear stays", {500, 350}, {}, false, Vec2(500, 350)},
        {"over a loose card but clear of controls stays",
         {500, 350},
         {{450, 300, 200, 100}},
         false,
         Vec2(500, 350)},
        {"pulled into the field first", {1100, 650}, {}, false, Vec2(900, 650)},
        {"under the panel: left of it", {900, 320}, {}, false, Vec2(748, 320)},
        {"left of the panel taken: below it", {900, 250}, {{640, 200, 200, 100}}, false, Vec2(900, 148)},
        // Loose cards lie everywhere: it still leaves the panel.
        {"no room off the loose cards", {900, 350}, {{300, 0, 700, 700}}, false, Vec2(748, 350)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const LooseSpot spot(field, card, {panel}, c.avoided);
        const std::optional<Vec2> place = spot.settle(c.centre, c.always);
        ASSERT_EQ(place.has_value(), c.expected.has_value());
        if (place) {
            EXPECT_NEAR(place->x, c.expected->x, 1e-3);
            EXPECT_NEAR(place->y, c.expected->y, 1e-3);
        }
    }
}

// A field too small to hold the card clear of a control that fills it.
// Catches `always` ignored either way.
TEST(LooseSpot, WithNoClearPlaceOnlyAlwaysKeepsTheCardInTheField) {
    const LooseSpot spot(Rect(300, 0, 400, 200), engine::Size(200, 100), {Rect(300, 0, 400, 200)});
    EXPECT_FALSE(spot.settle({500, 100}, false).has_value());
    const std::optional<Vec2> kept = spot.settle({800, 100}, true);
    ASSERT_TRUE(kept.has_value());
    EXPECT_NEAR(kept->x, 600, 1e-3);
    EXPECT_NEAR(kept->y, 100, 1e-3);
}

} // namespace
} // namespace pavlune
