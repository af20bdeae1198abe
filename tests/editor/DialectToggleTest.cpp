// The dialect toggle and its chooser: a choice reaches the cards on the
// field once the popup has faded; a tap beside the options or Escape keeps
// the dialect.

#include "editor/palette/DialectToggle.h"

#include "catalogue/CatalogueView.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/palette/DialectChooser.h"
#include "engine/platform/GLView.h"
#include "tests/editor/PaletteFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using engine::Vec2;

namespace {

class DialectToggleTest : public PaletteFixture {
protected:
    void SetUp() override {
        PaletteFixture::SetUp();
        toggle = editor->getSession().rooms().dialectToggle;
        ASSERT_NE(toggle, nullptr);
    }

    DialectChooser* openChooser() {
        tap(worldPosition(toggle));
        return toggle->getChooser();
    }
    // Whether a chooser (open or fading) is still on the screen.
    bool chooserOnScreen() const {
        for (engine::Node* child : toggle->getParent()->getChildren()) {
            if (dynamic_cast<DialectChooser*>(child)) {
                return true;
            }
        }
        return false;
    }
    static std::string backIn(pavlune::Dialect dialect, const CardSprite* card) {
        return pavlune::CatalogueView(dialect, pavlune::basic)
            .getCardBackImage(card->getCardIndex(), card->getCardSet());
    }

    DialectToggle* toggle = nullptr;
};

// Catches the backs changed before the fade (or never), options laid out or
// pictured wrongly, and a third dialect that cannot be reached.
TEST_F(DialectToggleTest, ChoosingADialectTurnsEveryPlacedCardsBackOnceThePopupHasFaded) {
    struct Case {
        pavlune::Dialect dialect;
        const char* toggleImage;
        const char* optionImage;
    };
    for (const Case& pick : {Case{pavlune::latte, "res/r_to_latte_on.png", "res/r_to_latte_on.png"},
                             Case{pavlune::que, "res/r_to_que_on.png", "res/r_to_que_on.png"}}) {
        SCOPED_TRACE(pick.dialect);
        resetSelections();
        toggle->refreshDialect();
        FieldBoard* board = editor->getSession().rooms().board.get();
        const float row = board->model().rowSlot(2).position.y;
        const std::vector<CardSprite*> cards = {board->addCard(0, 1, Vec2(700, row), 255),
                                                board->addCard(2, 2, Vec2(700, row - 300), 255)};
        DialectChooser* chooser = openChooser();
        ASSERT_NE(chooser, nullptr);
        const Vec2 above = worldPosition(toggle) + Vec2(0, 100);
        EXPECT_EQ(worldPosition(chooser->option(0)), above);
        EXPECT_TRUE(shows(chooser->option(0), "res/r_to_jam.png"));
        ASSERT_NE(chooser->option(pick.dialect), nullptr);
        // 120 wide with 20 between: 140 to the left per option.
        EXPECT_EQ(worldPosition(chooser->option(pick.dialect)),
                  above - Vec2(140.0f * static_cast<float>(pick.dialect), 0));
        EXPECT_TRUE(shows(chooser->option(pick.dialect), pick.optionImage));
        driver->advance(0.1f);

        tap(worldPosition(chooser->option(pick.dialect)), 0.02f);
        EXPECT_EQ(pavlune::DeviceManager::getInstance()->getCurrentDialect(), pick.dialect);
        // The option has slid onto the toggle and the popup is fading.
        driver->advance(0.15f);
        ASSERT_EQ(toggle->getChooser(), nullptr);
        ASSERT_TRUE(chooserOnScreen());
        for (const CardSprite* card : cards) {
            EXPECT_EQ(card->getBackImage(), backIn(pavlune::jam, card));
        }
        driver->advance(0.15f);
        for (const CardSprite* card : cards) {
            EXPECT_EQ(card->getBackImage(), backIn(pick.dialect, card));
        }
        EXPECT_TRUE(shows(toggle, pick.toggleImage));
        EXPECT_FALSE(chooserOnScreen());
        for (CardSprite* card : cards) {
            board->removeCard(card);
        }
        driver->advance(0.5f);
    }
}

// The editor's keys on the open chooser, whose options run leftwards from
// jam. Catches Left and Right swapped, a frame that does not go round at the
// ends, a first arrow that does not start at the current dialect, and Return
// choosing with no option framed.
TEST_F(DialectToggleTest, TheArrowsFrameAnOptionAndReturnChoosesIt) {
    const struct {
        std::vector<SDL_Keycode> keys;
        int dialect;
    } cases[] = {
        {{SDLK_RETURN}, -1},
        {{SDLK_LEFT, SDLK_RETURN}, pavlune::jam},
        {{SDLK_LEFT, SDLK_LEFT, SDLK_RETURN}, pavlune::latte},
        {{SDLK_RIGHT, SDLK_RIGHT, SDLK_RETURN}, pavlune::que},
        {{SDLK_DOWN, SDLK_LEFT, SDLK_LEFT, SDLK_LEFT, SDLK_RETURN}, pavlune::jam},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialect);
        resetSelections();
        toggle->refreshDialect();
        DialectChooser* chooser = openChooser();
        ASSERT_NE(chooser, nullptr);
        driver->advance(0.1f);
        std::vector<int> chosen;
        chooser->onChosen = [&chosen](int dialect) { chosen.push_back(dialect); };
        for (const SDL_Keycode key : c.keys) {
            driver->keyPress(key);
            driver->step();
        }
        EXPECT_EQ(chosen, c.dialect < 0 ? std::vector<int>() : std::vector<int>{c.dialect});
        driver->advance(0.5f);
        if (chooserOnScreen()) {
            driver->keyPress(SDLK_ESCAPE);
            driver->advance(0.5f);
        }
    }
}

// Catches a veil that chooses an option or does not close the popup, and an
// Escape that does not close it or keeps the keys afterwards.
TEST_F(DialectToggleTest, ATapOnTheGreyAreaOrEscapeClosesTheChooserAndKeepsTheDialect) {
    const auto pressEscape = [] {
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.keysym.sym = SDLK_ESCAPE;
        engine::Director::getInstance()->getOpenGLView()->handleEvent(key);
    };
    for (bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Escape" : "tap");
        ASSERT_NE(openChooser(), nullptr);
        driver->advance(0.1f);
        if (byKey) {
            pressEscape();
        } else {
            tap(Vec2(600, 300));
        }
        driver->advance(0.3f);
        EXPECT_FALSE(chooserOnScreen());
        EXPECT_EQ(pavlune::DeviceManager::getInstance()->getCurrentDialect(), 0);
        EXPECT_TRUE(shows(toggle, "res/r_to_jam_on.png"));
    }
    EXPECT_FALSE(engine::Director::getInstance()->getOpenGLView()->hasTextInputHandler());
}

} // namespace
