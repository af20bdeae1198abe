#include "engine/2d/Label.h"

#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/base/Log.h"
#include "engine/platform/FontResolver.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace engine;

// The frame pixels that differ from the white background, in frame pixels (y down).
struct Ink {
    int count = 0;
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};

Ink inkIn(const HeadlessDriver& driver) {
    Image image;
    EXPECT_TRUE(driver.capture(image));
    Ink ink;
    for (int y = 0; y < image.getHeight(); ++y) {
        for (int x = 0; x < image.getWidth(); ++x) {
            const Color4B p = image.getPixel(x, y);
            if (p.r < 160 && p.g < 160 && p.b < 160) {
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                ink.top = std::min(ink.top, y);
                ink.bottom = std::max(ink.bottom, y);
            }
        }
    }
    return ink;
}

class LabelTest : public ::testing::Test {
protected:
    // A white scene with `label` in black, bottom left at (100, 100).
    void show(Label* label) {
        Scene* scene = Scene::create();
        scene->addChild(LayerColor::create(Color4B(255, 255, 255, 255)));
        label->setTextColor(Color4B(0, 0, 0, 255));
        label->setAnchorPoint(Vec2::ANCHOR_BOTTOM_LEFT);
        label->setPosition(100, 100);
        scene->addChild(label);
        if (Director::getInstance()->getRunningScene()) {
            Director::getInstance()->replaceScene(scene);
            driver.step();
        } else {
            driver.runWithScene(scene);
        }
    }

    // Frame 1:1 with the design area, so frame pixels are design units.
    HeadlessDriver driver{Size(1024, 768)};
};

bool provides(const FontFace& face, char32_t cp) {
    TTF_Font* font = FontResolver::getInstance().getFont(face, 20);
    return font && TTF_GlyphIsProvided32(font, cp);
}

TEST(FontResolverTest, NamedSystemFontsResolveToInstalledFaces) {
    FontResolver& resolver = FontResolver::getInstance();
    for (const char* name : {"Helvetica", "Arial", "HiraKakuProN-W6", ""}) {
        const FontFace face = resolver.resolveSystemFont(name);
        ASSERT_FALSE(face.empty()) << name;
        EXPECT_TRUE(provides(face, 'A')) << name;
    }
    // The Japanese name gets a Japanese face, bold for W6.
    const FontFace japanese = resolver.resolveSystemFont("HiraKakuProN-W6");
    EXPECT_TRUE(provides(japanese, U'あ'));
    TTF_Font* font = resolver.getFont(japanese, 20);
    ASSERT_NE(font, nullptr);
    EXPECT_NE(std::string(TTF_FontFaceStyleName(font)).find("Bold"), std::string::npos);
    // Japanese is always reachable through the fallbacks.
    const auto& fallbacks = resolver.getFallbackFaces();
    ASSERT_FALSE(fallbacks.empty());
    EXPECT_TRUE(provides(fallbacks.front(), U'日'));
}

TEST(FontResolverTest, MissingFontFileFallsBackToMonospace) {
    FontResolver& resolver = FontResolver::getInstance();
    const engine::Log::Capture log;
    const FontFace face = resolver.resolveFontFile("fonts/NoSuchBoardFont.ttf");
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"pavlune error engine: cannot load font "
                                       "fonts/NoSuchBoardFont.ttf: not found in the search paths"});
    ASSERT_FALSE(face.empty());
    TTF_Font* font = resolver.getFont(face, 20);
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(TTF_FontFaceIsFixedWidth(font));
}

TEST_F(LabelTest, WrapsAtTheGivenWidthAndGrowsInHeight) {
    Label* label = Label::createWithSystemFont("one two three four five six seven eight nine ten",
                                               "Helvetica", 20, Size(120, 0));
    ASSERT_NE(label, nullptr);
    EXPECT_GT(label->getStringNumLines(), 2);
    for (float width : label->getLineWidths()) {
        EXPECT_LE(width, 120.0f);
        EXPECT_GT(width, 0.0f);
    }
    EXPECT_FLOAT_EQ(label->getContentSize().width, 120);
    const float height = label->getContentSize().height;
    EXPECT_NEAR(height, label->getStringNumLines() * label->getLineHeight(), 1.0f);

    // The text block is as tall as the lines: ink spans most of the height and stays inside.
    show(label);
    const Ink ink = inkIn(driver);
    ASSERT_GT(ink.count, 0);
    EXPECT_GE(ink.left, 100);
    EXPECT_LE(ink.right, 100 + 120);
    EXPECT_GE(ink.top, 768 - 100 - static_cast<int>(height) - 1);
    EXPECT_GT(ink.bottom - ink.top, height * 0.6f);

    // More text, more lines; a fixed height stays fixed.
    const int lines = label->getStringNumLines();
    label->setString(label->getString() + " eleven twelve thirteen");
    EXPECT_GT(label->getStringNumLines(), lines);
    label->setDimensions(120, 40);
    EXPECT_FLOAT_EQ(label->getContentSize().height, 40);
}

TEST_F(LabelTest, JapaneseWrapsBetweenCharactersAndLongWordsBreak) {
    Label* japanese = Label::createWithSystemFont("えらんだソースコードを消しますか？", "HiraKakuProN-W6", 20,
                                                  Size(100, 0));
    ASSERT_NE(japanese, nullptr);
    EXPECT_GE(japanese->getStringNumLines(), 3);
    Label* word = Label::createWithSystemFont("abcdefghijklmnopqrstuvwxyz", "Arial", 20, Size(60, 0));
    ASSERT_NE(word, nullptr);
    EXPECT_GE(word->getStringNumLines(), 3);
    for (float width : word->getLineWidths()) {
        EXPECT_LE(width, 60.0f);
    }
    // Explicit line breaks always break; without a width nothing else does.
    Label* lines = Label::createWithSystemFont("a\nb\n\nlong line of text that does not wrap", "", 20);
    EXPECT_EQ(lines->getStringNumLines(), 4);
    EXPECT_GT(lines->getContentSize().width, 200);
}

TEST_F(LabelTest, JapaneseInALatinFontFallsBackGlyphByGlyph) {
    Label* latin = Label::createWithSystemFont("日本語", "Helvetica", 30);
    ASSERT_NE(latin, nullptr);
    Label* japanese = Label::createWithSystemFont("日本語", "HiraKakuProN-W3", 30);
    // The fallback face draws full-width characters, about one em each.
    EXPECT_NEAR(latin->getContentSize().width, 90, 6);
    EXPECT_NEAR(latin->getContentSize().width, japanese->getContentSize().width, 6);
    show(latin);
    const Ink ink = inkIn(driver);
    EXPECT_GT(ink.count, 200);
    EXPECT_GT(ink.right - ink.left, 70);
}

TEST_F(LabelTest, HorizontalAndVerticalAlignmentPlaceTheText) {
    struct Case {
        TextHAlignment h;
        TextVAlignment v;
    };
    const Size box(300, 120);
    int lefts[3] = {};
    int tops[3] = {};
    const Case cases[3] = {{TextHAlignment::LEFT, TextVAlignment::TOP},
                           {TextHAlignment::CENTER, TextVAlignment::CENTER},
                           {TextHAlignment::RIGHT, TextVAlignment::BOTTOM}};
    for (int i = 0; i < 3; ++i) {
        Label* label = Label::createWithSystemFont("Align", "Helvetica", 24, box, cases[i].h, cases[i].v);
        ASSERT_NE(label, nullptr);
        show(label);
        const Ink ink = inkIn(driver);
        ASSERT_GT(ink.count, 0);
        lefts[i] = ink.left;
        tops[i] = ink.top;
        const int boxLeft = 100, boxRight = 400, boxTop = 768 - 100 - 120, boxBottom = 768 - 100;
        const int width = ink.right - ink.left;
        if (cases[i].h == TextHAlignment::LEFT) {
            EXPECT_LE(ink.left - boxLeft, 4);
        } else if (cases[i].h == TextHAlignment::CENTER) {
            EXPECT_NEAR(ink.left - boxLeft, boxRight - ink.right, 3);
        } else {
            EXPECT_LE(boxRight - ink.right, 4);
        }
        if (cases[i].v == TextVAlignment::TOP) {
            EXPECT_LE(ink.top - boxTop, 12);
        } else if (cases[i].v == TextVAlignment::CENTER) {
            EXPECT_NEAR(ink.top - boxTop, boxBottom - ink.bottom, 10);
        } else {
            EXPECT_LE(boxBottom - ink.bottom, 12);
        }
        EXPECT_GT(width, 40);
    }
    EXPECT_LT(lefts[0], lefts[1]);
    EXPECT_LT(lefts[1], lefts[2]);
    EXPECT_LT(tops[0], tops[1]);
    EXPECT_LT(tops[1], tops[2]);
}

TEST_F(LabelTest, UnchangedLabelIsDrawnIntoItsTextureOnce) {
    Label* label = Label::createWithSystemFont("Search ...", "Helvetica", 12);
    show(label);
    EXPECT_EQ(label->getRenderCount(), 1);
    driver.advance(0.5f);
    EXPECT_EQ(label->getRenderCount(), 1);
    // Colour and opacity tint the cached texture.
    label->setColor(Color3B(30, 30, 30));
    label->setOpacity(128);
    driver.step();
    EXPECT_EQ(label->getRenderCount(), 1);
    label->setString("Not Found ...");
    driver.step();
    EXPECT_EQ(label->getRenderCount(), 2);
    // Shown larger, it is drawn again at the higher density, once.
    label->setScale(3);
    driver.step();
    driver.step();
    EXPECT_EQ(label->getRenderCount(), 3);
}

TEST_F(LabelTest, CascadingOpacityAndColourReachTheText) {
    Label* label = Label::createWithSystemFont("Cascade", "Arial", 30);
    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(Color4B(255, 255, 255, 255)));
    Node* parent = Node::create();
    parent->setCascadeOpacityEnabled(true);
    parent->addChild(label);
    label->setTextColor(Color4B(0, 0, 0, 255));
    label->setPosition(300, 300);
    scene->addChild(parent);
    driver.runWithScene(scene);
    EXPECT_GT(inkIn(driver).count, 50);
    parent->setOpacity(0);
    driver.step();
    EXPECT_EQ(inkIn(driver).count, 0);
}

TEST_F(LabelTest, MissingFontFileStillDrawsText) {
    Label* label = Label::createWithTTF("10 LED 1", "fonts/NoSuchBoardFont.ttf", 20);
    ASSERT_NE(label, nullptr);
    EXPECT_GT(label->getContentSize().width, 40);
    show(label);
    EXPECT_GT(inkIn(driver).count, 50);
}

TEST(LabelDensityTest, TextStaysSharpInAnEnlargedWindow) {
    // Same design size, frame twice as large: the glyph edges are as crisp as
    // at 1:1 (few partly covered pixels per covered pixel), not a blurred upscale.
    HeadlessDriver big{Size(2048, 1536)};
    Label* label = Label::createWithSystemFont("Sharp text", "Helvetica", 20);
    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(Color4B(255, 255, 255, 255)));
    label->setTextColor(Color4B(0, 0, 0, 255));
    label->setPosition(300, 300);
    scene->addChild(label);
    big.runWithScene(scene);
    Image image;
    ASSERT_TRUE(big.capture(image));
    int solid = 0, partial = 0;
    for (int y = 0; y < image.getHeight(); ++y) {
        for (int x = 0; x < image.getWidth(); ++x) {
            const int v = image.getPixel(x, y).r;
            if (v < 64) {
                ++solid;
            } else if (v < 224) {
                ++partial;
            }
        }
    }
    EXPECT_GT(solid, 400);
    EXPECT_LT(partial, solid * 2);
}

} // namespace
