// Card nodes: turning over, and the number on an input card's two sides.
#include "editor/cards/CardSprite.h"

#include "CardScreenFixture.h"
#include "catalogue/CardSet.h"
#include "editor/cards/InputCardSprite.h"
#include "engine/2d/LabelAtlas.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/FadeIn.h"

namespace {

using engine::Vec2;

constexpr int kWaitCard = 2; // full set: wait a typed number of seconds
const Vec2 kCardCentre(500, 400);
// Cards are 200 x 120 with the 40 x 40 corner at their lower right.
const Vec2 kCorner = kCardCentre + Vec2(80, -40);
const Vec2 kLowerLeft = kCardCentre + Vec2(-80, -40);

class CardSpriteTest : public CardScreenTest {
protected:
    template <typename Card> Card* place(Card* card) {
        card->setPosition(kCardCentre);
        scene->addChild(card);
        driver->step();
        return card;
    }
};

TEST_F(CardSpriteTest, CornerTurnsTheCardOverAndBack) {
    CardSprite* card = place(made(CardSprite::createForCard(jamView(), pavlune::basic, 0)));
    engine::Sprite* face = card->getFace();
    engine::Sprite* corner = made(card->getFlickCorner());

    tap(kLowerLeft); // elsewhere on the card
    EXPECT_FALSE(card->isFlipping());

    driver->touchBegan(kCorner);
    driver->step();
    EXPECT_EQ(corner->getOpacity(), CardSprite::kCornerPressedOpacity);
    driver->touchEnded(kCorner);
    EXPECT_EQ(corner->getOpacity(), 0);
    EXPECT_TRUE(card->isFlipping());
    EXPECT_TRUE(card->isFlipped());
    driver->step(0); // the turn's first (empty) step

    driver->advance(0.15f);
    EXPECT_EQ(face->getTexture(), texture(card->getImage())) << "still the front before edge-on";
    driver->advance(0.15f);
    EXPECT_EQ(face->getTexture(), texture(jamView().getCardBackImage(0, pavlune::basic)));
    EXPECT_TRUE(card->isFlipping());
    EXPECT_FALSE(card->turnOver()) << "a second turn may not start halfway";
    driver->advance(0.0999f);
    EXPECT_TRUE(card->isFlipping());
    driver->step(0.0002f);
    EXPECT_FALSE(card->isFlipping());
    EXPECT_FLOAT_EQ(face->getRotation3D().y, 180);
    keepFrame("card-back");

    tap(kCorner);
    driver->advance(0.4f);
    EXPECT_FALSE(card->isFlipped());
    EXPECT_FALSE(card->isFlipping());
    EXPECT_EQ(face->getTexture(), texture(card->getImage()));
    EXPECT_FLOAT_EQ(face->getRotation3D().y, 0);
}

TEST_F(CardSpriteTest, CardWithoutBackImageCannotTurn) {
    CardSprite* card = place(made(CardSprite::create(jamView().getCardFaceImage(0, pavlune::basic))));
    EXPECT_EQ(card->getFlickCorner(), nullptr);
    EXPECT_EQ(card->getChildrenCount(), 1u);
    tap(kCorner);
    EXPECT_FALSE(card->isFlipping());
    EXPECT_FALSE(card->turnOver());
    driver->advance(0.5f);
    EXPECT_FALSE(card->isFlipped());
}

TEST_F(CardSpriteTest, FadesAndTintsReachTheFace) {
    CardSprite* card = place(made(CardSprite::createForCard(jamView(), pavlune::basic, 0)));
    card->setColor(engine::Color3B(32, 32, 32));
    EXPECT_EQ(card->getFace()->getColor(), engine::Color3B(32, 32, 32));
    card->setOpacity(0);
    card->runAction(engine::FadeIn::create(0.2f));
    driver->step(0);
    driver->step(0.1f);
    EXPECT_NEAR(card->getFace()->getOpacity(), 128, 1);
    EXPECT_EQ(card->getFlickCorner()->getOpacity(), 0) << "the corner stays invisible";
}

TEST_F(CardSpriteTest, NumberShowsAsTypedOnTheFrontAndScaledOnTheBack) {
    InputCardSprite* card = place(made(InputCardSprite::createForCard(jamView(), pavlune::full, kWaitCard)));
    engine::LabelAtlas* large = made(card->getFrontLargeLabel());
    engine::LabelAtlas* back = made(card->getBackLabel());
    card->setValue("1.5");
    EXPECT_EQ(large->getString(), "1.5");
    EXPECT_EQ(card->getFrontSmallLabel()->getString(), "1.5");
    EXPECT_EQ(back->getString(), "90");
    // Three 24 x 36 cells in the 50 x 30 box: the width decides.
    EXPECT_NEAR(large->getScale(), 50.0f / 72, 1e-4);
    // Two cells in the 60 x 20 back box: the height decides; mirrored.
    EXPECT_NEAR(back->getScaleX(), -20.0f / 36, 1e-4);
    EXPECT_NEAR(back->getScaleY(), 20.0f / 36, 1e-4);
    EXPECT_FALSE(back->isVisible());
    keepFrame("number-card-front");

    ASSERT_TRUE(card->turnOver());
    driver->advance(0.45f);
    EXPECT_TRUE(back->isVisible());
    EXPECT_FALSE(large->isVisible());
    EXPECT_FALSE(card->getFrontSmallLabel()->isVisible());
    keepFrame("number-card-back");

    card->setValue("");
    EXPECT_EQ(back->getString(), "");
    EXPECT_EQ(large->getString(), "");
}

TEST_F(CardSpriteTest, DialectChangeRescalesATurnedCard) {
    InputCardSprite* card = place(made(InputCardSprite::createForCard(jamView(), pavlune::full, kWaitCard)));
    card->setValue("1.5");
    card->turnOver();
    driver->advance(0.45f);
    ASSERT_EQ(card->getBackLabel()->getString(), "90");

    card->showDialect(pavlune::CatalogueView(pavlune::latte, pavlune::basic));
    EXPECT_EQ(card->getBackLabel()->getString(), "1500");
    EXPECT_EQ(card->getFace()->getTexture(), texture("res/cards/full/latte/r_waita_latte.png"));
    EXPECT_EQ(card->getBackLabel()->getTexture(), texture("res/r_input_num_latte_l.png"));
    // The latte back box lies 16 units further right than jam's (-31 against -47).
    EXPECT_FLOAT_EQ(card->getBackLabel()->getPositionX(), 100 - 31);
    EXPECT_EQ(card->getFrontLargeLabel()->getString(), "1.5");
}

} // namespace

// Catches a wrong number from a file drawn as if it were right (or not
// marked at all), and a right one marked. An empty value (an old file's
// untouched card), a wait finer than tenths and a loop of 0 turns are wrong:
// no dialect can be trusted to read them alike.
TEST_F(CardSpriteTest, AWrongNumberIsMarkedRedAndNotDrawn) {
    struct Case {
        int index;
        const char* value;
        bool wrong;
    } cases[] = {{2, "3", false},   {2, "-5", true},   {2, "1e9", true}, {2, "0x10", true}, {2, "", true},
                 {2, "1.01", true}, {2, "0.1", false}, {8, "2.5", true}, {8, "7", false},   {8, "0", true}};
    const Vec2 centre(500, 400);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        InputCardSprite* card = made(InputCardSprite::createForCard(jamView(), pavlune::full, c.index));
        card->setPosition(centre);
        card->setValue(c.value);
        scene->addChild(card);
        driver->step();
        EXPECT_EQ(card->isValueWrong(), c.wrong);
        EXPECT_EQ(card->getValue(), c.value) << "kept as written";
        // The frame's left band, 3 units inside the 200 x 120 card's edge.
        const engine::Color4B edge = driver->pixelAt(centre + Vec2(-97, 0));
        EXPECT_EQ(edge.r > 200 && edge.g < 60 && edge.b < 60, c.wrong);
        if (c.wrong) {
            EXPECT_EQ(card->getFrontLargeLabel()->getString(), "");
        }
        card->removeFromParent();
    }
}
