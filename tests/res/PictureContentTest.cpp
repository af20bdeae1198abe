// What the editor relies on inside the pictures: the free number places of
// the number cards, the light row slot, loop pairs in one colour, and
// character maps with exact cells.
#include "catalogue/CardCode.h"
#include "catalogue/CardSet.h"
#include "catalogue/DeviceManager.h"
#include "catalogue/Dialect.h"
#include "tests/res/ResourceFiles.h"

#include <cstring>
#include <gtest/gtest.h>
#include <set>

namespace pavlune::restest {
namespace {

constexpr int kScale = 2;

bool isLight(const Picture& p, int x, int y) {
    return p.alpha(x, y) > 240 && p.red(x, y) > 215 && p.green(x, y) > 215 && p.blue(x, y) > 200;
}

// Share of light pixels in a box given in design units relative to the
// picture's centre, y upwards (the catalogue's input rectangles).
double lightShare(const Picture& p, const engine::Rect& r, bool mirrored) {
    const double cx = p.width() / 2.0 + (mirrored ? -r.origin.x : r.origin.x) * kScale;
    const double cy = p.height() / 2.0 - r.origin.y * kScale;
    // the inner 80 %, away from the box's rounded border
    const int x0 = static_cast<int>(cx - r.size.width * kScale * 0.4);
    const int x1 = static_cast<int>(cx + r.size.width * kScale * 0.4);
    const int y0 = static_cast<int>(cy - r.size.height * kScale * 0.4);
    const int y1 = static_cast<int>(cy + r.size.height * kScale * 0.4);
    int light = 0, all = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++all)
            light += isLight(p, x, y) ? 1 : 0;
    return all == 0 ? 0 : static_cast<double>(light) / all;
}

TEST(RowSlot, IsLightSoThatTheOccupiedTintReadsDark) {
    Picture slot(sourceRoot() / "res/r_field.png");
    ASSERT_TRUE(slot.ok());
    const int x = slot.width() / 2, y = slot.height() / 4;
    EXPECT_TRUE(isLight(slot, x, y));
    // the editor multiplies by (32, 32, 32): the result is nearly black
    EXPECT_LT(slot.red(x, y) * 32 / 255, 40);
}

class NumberCards : public ::testing::Test {
protected:
    void TearDown() override { DeviceManager::getInstance()->setCurrentDialect(jam); }
};

TEST_F(NumberCards, LeaveTheirNumberPlacesFree) {
    DeviceManager* manager = DeviceManager::getInstance();
    int checked = 0;
    for (Dialect dialect : {jam, latte}) {
        manager->setCurrentDialect(dialect);
        for (int card = 0; card < manager->getView().getCardCount(full); ++card) {
            const CardCode code = manager->getView().getCardCode(card, full);
            const auto rects = manager->getView().getInputRects(card, full);
            if (code.kind != CardCode::input || rects.size() < 3)
                continue;
            SCOPED_TRACE(manager->getView().getCardBackImage(card, full));
            Picture front(sourceRoot() / manager->getView().getCardFaceImage(card, full));
            Picture back(sourceRoot() / manager->getView().getCardBackImage(card, full));
            ASSERT_TRUE(front.ok() && back.ok());
            EXPECT_GT(lightShare(front, rects[0], false), 0.9);
            EXPECT_GT(lightShare(front, rects[1], false), 0.9);
            // The back label is drawn at rectangle 2 of the face, which shows
            // the back picture turned over: the free box is at rectangle 2 of
            // the stored file and the stored picture is the mirror image.
            EXPECT_GT(lightShare(back, rects[2], false), 0.9);
            EXPECT_LT(lightShare(back, rects[2], true), 0.5);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 4); // full 2 and full 8 in jam and latte
}

TEST(LoopCards, StartAndEndOfALoopShareOneColourAndLoopsDiffer) {
    // the bracket down the left edge carries the loop's colour
    auto colourOf = [](const std::string& path) {
        Picture p(sourceRoot() / path);
        EXPECT_TRUE(p.ok()) << path;
        const int x = 6 * kScale, y = p.height() / 2;
        return (p.red(x, y) << 16) | (p.green(x, y) << 8) | p.blue(x, y);
    };
    const char* pairs[][2] = {
        {"res/cards/basic/r_loop_inf_start.png", "res/cards/basic/r_loop_inf_end.png"},
        {"res/cards/full/r_loop_3_start.png", "res/cards/full/r_loop_3_end.png"},
        {"res/cards/full/r_loop_5_start.png", "res/cards/full/r_loop_5_end.png"},
        {"res/cards/full/r_loop_any_start.png", "res/cards/full/r_loop_any_end.png"},
    };
    std::set<int> colours;
    for (const auto& pair : pairs) {
        const int start = colourOf(pair[0]);
        EXPECT_EQ(start, colourOf(pair[1])) << pair[0];
        colours.insert(start);
    }
    EXPECT_EQ(colours.size(), 4u);
}

struct MapSpec {
    const char* path;
    const char* characters;
    int cellWidth;
    int cellHeight;
};

// The LabelAtlas parameters that the screens use with each map.
const MapSpec kMaps[] = {
    {"res/r_field_num.png", "0123456789", 9, 11},
    {"res/r_field_num_w.png", "0123456789", 9, 11},
    {"res/r_input_num_jam_l.png", "./0123456789", 24, 36},
    {"res/r_input_num_jam_s.png", "./0123456789", 12, 18},
    {"res/r_input_num_latte_l.png", "./0123456789", 24, 36},
};

TEST(CharacterMaps, HaveExactCellGridsWithOneGlyphInEachCell) {
    for (const MapSpec& map : kMaps) {
        SCOPED_TRACE(map.path);
        Picture p(sourceRoot() / map.path);
        ASSERT_TRUE(p.ok());
        const int cells = static_cast<int>(std::strlen(map.characters));
        const int cw = map.cellWidth * kScale, ch = map.cellHeight * kScale;
        ASSERT_EQ(p.width(), cells * cw);
        ASSERT_EQ(p.height(), ch);
        for (int cell = 0; cell < cells; ++cell) {
            int ink = 0;
            for (int y = 0; y < ch; ++y) {
                for (int x = 0; x < cw; ++x)
                    ink += p.alpha(cell * cw + x, y) > 128 ? 1 : 0;
                // nothing touches the cell's side edges, so no glyph bleeds into the next
                EXPECT_EQ(p.alpha(cell * cw, y), 0) << "cell " << cell;
                EXPECT_EQ(p.alpha(cell * cw + cw - 1, y), 0) << "cell " << cell;
            }
            EXPECT_GT(ink, cw * ch / 40) << "cell " << cell << " is empty";
        }
    }
}

TEST(CharacterMaps, ThePointSitsOnTheBaseline) {
    Picture p(sourceRoot() / "res/r_input_num_jam_l.png");
    ASSERT_TRUE(p.ok());
    const int cw = 24 * kScale;
    int top = p.height();
    for (int y = 0; y < p.height() && top == p.height(); ++y)
        for (int x = 0; x < cw; ++x)
            if (p.alpha(x, y) > 128)
                top = y;
    EXPECT_GT(top, p.height() * 2 / 3); // "." is low in its cell, not centred
}

} // namespace
} // namespace pavlune::restest
