// A long program on the real editor screen: only what is in sight is drawn
// and built at first, and what comes into sight later shows and answers.
#include "catalogue/DeviceManager.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/base/Value.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/editor/ProgramEditorFixture.h"
#include "widgets/FieldScrollView.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using engine::Value;
using engine::ValueMap;
using engine::ValueVector;
using engine::Vec2;

namespace {

// Card 0/0 ("LEDを つける", 200 x 120): a point of its plain background, left
// of the bulb halfway down, in design units from the card's centre.
constexpr int kCardSet = 0;
constexpr int kCardIndex = 0;
const Vec2 kPlainSpot(-80, 0);

// A card on each of rows `first` to 39, and `loose` loose ones beside the
// lowest rows: all of them out of sight of the first screen.
ValueVector farDown(int first, int loose) {
    ValueVector elements;
    int z = 1;
    const auto card = [&](float x, float screenY) {
        elements.push_back(Value(ValueMap{{"tab", Value(kCardSet)},
                                          {"index", Value(kCardIndex)},
                                          {"x", Value(x)},
                                          {"y", Value(screenY + kStartOffsetY)},
                                          {"zorder", Value(z++)}}));
    };
    for (int row = first; row < 40; ++row) {
        card(kRowCardX, rowScreenY(row));
    }
    for (int n = 0; n < loose; ++n) {
        card(880, rowScreenY(39 - n % 10) + static_cast<float>(n / 10) * 20);
    }
    return elements;
}

class LongProgramTest : public ProgramEditorTest {
protected:
    FieldBoard& board() const { return *editor->getSession().rooms().board; }

    // The colour of the card's picture at kPlainSpot, from its picture file
    // (drawn at twice the design size).
    static engine::Color4B pictureColour() {
        engine::Image face;
        EXPECT_TRUE(face.initWithImageFile(
            pavlune::DeviceManager::getInstance()->getView().getCardFaceImage(kCardIndex, kCardSet)));
        return face.getPixel(static_cast<int>((100 + kPlainSpot.x) * 2),
                             static_cast<int>((60 - kPlainSpot.y) * 2));
    }

    static void expectColour(engine::Color4B seen, engine::Color4B wanted, const std::string& where) {
        EXPECT_LE(std::abs(seen.r - wanted.r) + std::abs(seen.g - wanted.g) + std::abs(seen.b - wanted.b), 24)
            << where << ": " << int(seen.r) << "," << int(seen.g) << "," << int(seen.b) << " wanted "
            << int(wanted.r) << "," << int(wanted.g) << "," << int(wanted.b);
    }
};

// Catches cards out of sight never built (the field would stay empty below
// the first screen), built in a frame that holds the loop, a card culled by
// a box that misses the zoom or the scroll (it stays blank when in sight),
// and a card culled by hiding it, which no touch reaches any more.
TEST_F(LongProgramTest, CardsOutOfSightAreBuiltAfterTheFirstFrameAndShowAndLiftWhenScrolledTo) {
    openProgram(farDown(10, 100)); // 30 row cards and 100 loose, none in sight
    EXPECT_TRUE(board().isBuilding()) << "the first frames waited for every card";
    EXPECT_EQ(board().model().placedCards().size(), 130u);
    for (int frame = 0; frame < 10 && board().isBuilding(); ++frame) {
        driver->step();
    }
    EXPECT_FALSE(board().isBuilding());

    FieldScrollView* view = editor->getSession().rooms().fieldView;
    const struct {
        float zoom;
        int row;
    } cases[] = {{1.0f, 20}, {1.0f, 39}, {0.5f, 30}, {0.5f, 39}};
    for (const auto& c : cases) {
        const std::string where = "row " + std::to_string(c.row) + " at zoom " + std::to_string(c.zoom);
        view->setZoomScale(c.zoom);
        view->setContentOffset(Vec2(0, view->maxContainerOffset().y));
        driver->step(); // at the top: the row is far out of sight
        const float contentY = rowScreenY(c.row) + kStartOffsetY;
        view->setContentOffset(Vec2(0, 400 - contentY * c.zoom));
        driver->step();
        const Vec2 offset = view->getContentOffset();
        const Vec2 centre(offset.x + kRowCardX * c.zoom, offset.y + contentY * c.zoom);
        ASSERT_GT(centre.y, 70) << where;
        ASSERT_LT(centre.y, 700) << where;
        expectColour(driver->pixelAt(centre + kPlainSpot * c.zoom), pictureColour(), where);

        driver->touchBegan(centre);
        driver->advance(0.6f); // held: the block below it is lifted
        ASSERT_FALSE(board().model().dragGroup().empty()) << where;
        EXPECT_EQ(board().model().dragGroup().front(), board().model().cardOnRow(c.row)) << where;
        driver->touchEnded(centre);
        driver->advance(0.5f);
    }
}

// Catches a card scrolled into sight before its node was built: the finger
// would press on nothing there.
TEST_F(LongProgramTest, ACardScrolledToAtOnceAfterOpeningIsThereToLift) {
    openProgram(farDown(10, 100));
    ASSERT_TRUE(board().isBuilding());
    FieldScrollView* view = editor->getSession().rooms().fieldView;
    const float contentY = rowScreenY(35) + kStartOffsetY;
    view->setContentOffset(Vec2(0, 400 - contentY));
    driver->step();
    const Vec2 centre(kRowCardX, view->getContentOffset().y + contentY);
    driver->touchBegan(centre);
    driver->advance(0.6f);
    ASSERT_FALSE(board().model().dragGroup().empty());
    EXPECT_EQ(board().model().dragGroup().front(), board().model().cardOnRow(35));
    driver->touchEnded(centre);
}

// Catches a picture drawn while the cards out of sight were still waiting:
// a program far down the field would be listed with an empty picture.
TEST_F(LongProgramTest, APictureDrawnWhileCardsWaitShowsThem) {
    openProgram(farDown(20, 60));
    ASSERT_TRUE(board().isBuilding());
    bool written = false;
    editor->captureThumbnail([&] { written = true; });
    EXPECT_FALSE(board().isBuilding());
    for (int frame = 0; frame < 5 && !written; ++frame) {
        driver->step();
    }
    ASSERT_TRUE(written);
    engine::Image picture;
    ASSERT_TRUE(picture.initWithImageFile(SaveDataManager::getInstance()->getImageFullPath(record)));
    // The picture starts at the topmost card's row (row 20), as the first row
    // would be: 285 units for a screen of 768, the field's middle (x 649)
    // in the middle of the picture, at 2 pixels a unit.
    const float scale = 285.0f / 768.0f;
    const Vec2 cardInPicture(142.5f + (kRowCardX + kPlainSpot.x - 649) * scale,
                             285 - (rowScreenY(0) + kPlainSpot.y) * scale);
    expectColour(
        picture.getPixel(static_cast<int>(cardInPicture.x * 2), static_cast<int>(cardInPicture.y * 2)),
        pictureColour(), "the picture");
}

} // namespace
