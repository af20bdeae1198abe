#include "engine/2d/ClippingRectangleNode.h"
#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/Texture2D.h"
#include "engine/2d/TextureCache.h"
#include "engine/2d/actions/Actions.h"
#include "engine/base/Log.h"
#include "engine/platform/GLView.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"

#include <SDL.h>
#include <SDL_image.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace engine;

// Writes a PNG of one colour; pictures for tests are made, not shipped.
std::string writeSolidPng(const std::string& name, int width, int height, const Color4B& color) {
    const std::string path = ::testing::TempDir() + "pavlune_render_" + name + ".png";
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, color.r, color.g, color.b, color.a));
    EXPECT_EQ(IMG_SavePNG(surface, path.c_str()), 0);
    SDL_FreeSurface(surface);
    return path;
}

void expectColor(const Color4B& actual, const Color4B& expected, int tolerance = 2) {
    EXPECT_NEAR(actual.r, expected.r, tolerance);
    EXPECT_NEAR(actual.g, expected.g, tolerance);
    EXPECT_NEAR(actual.b, expected.b, tolerance);
}

constexpr Color4B kBlue(0, 0, 255, 255);
constexpr Color4B kRed(255, 0, 0, 255);
constexpr Color4B kGreen(0, 255, 0, 255);
constexpr Color4B kBlack(0, 0, 0, 255);

class RenderTest : public ::testing::Test {
protected:
    // A scene with a blue background layer; returns the scene.
    Scene* blueScene() {
        Scene* scene = Scene::create();
        scene->addChild(LayerColor::create(kBlue));
        return scene;
    }

    HeadlessDriver driver;
};

TEST_F(RenderTest, TranslucentSpriteBlendsOverColourLayer) {
    const std::string white = writeSolidPng("white", 200, 200, Color4B(255, 255, 255, 255));
    Scene* scene = blueScene();
    Sprite* sprite = Sprite::create(white);
    ASSERT_NE(sprite, nullptr);
    sprite->setPosition(512, 384);
    sprite->setOpacity(128);
    scene->addChild(sprite);
    driver.runWithScene(scene);

    expectColor(driver.pixelAt(Vec2(512, 384)), Color4B(128, 128, 255, 255), 3);
    expectColor(driver.pixelAt(Vec2(100, 100)), kBlue);

    // A tint multiplies the picture.
    sprite->setOpacity(255);
    sprite->setColor(Color3B(255, 0, 0));
    driver.step();
    expectColor(driver.pixelAt(Vec2(512, 384)), kRed);
}

TEST_F(RenderTest, PicturesShowAtHalfTheirPixelSize) {
    const std::string white = writeSolidPng("white200", 200, 120, Color4B(255, 255, 255, 255));
    Scene* scene = blueScene();
    Sprite* sprite = Sprite::create(white);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->getContentSize(), Size(100, 60));
    sprite->setAnchorPoint(Vec2::ANCHOR_BOTTOM_LEFT);
    sprite->setPosition(200, 200);
    scene->addChild(sprite);
    driver.runWithScene(scene);

    expectColor(driver.pixelAt(Vec2(201, 201)), Color4B(255, 255, 255, 255));
    expectColor(driver.pixelAt(Vec2(298.5f, 258.5f)), Color4B(255, 255, 255, 255));
    expectColor(driver.pixelAt(Vec2(301, 230)), kBlue);
    expectColor(driver.pixelAt(Vec2(250, 261)), kBlue);
}

TEST_F(RenderTest, ReducedPicturesKeepTransparentPixelsFromDarkeningTheColour) {
    // Every other pixel transparent black, the rest opaque white: shown at
    // half its pixel size, each screen pixel is half-covered white.
    const std::string path = ::testing::TempDir() + "pavlune_render_checker.png";
    SDL_Surface* checker = SDL_CreateRGBSurfaceWithFormat(0, 200, 200, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_LockSurface(checker);
    for (int y = 0; y < 200; ++y) {
        auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(checker->pixels) + y * checker->pitch);
        for (int x = 0; x < 200; ++x) {
            row[x] = (x + y) % 2 ? SDL_MapRGBA(checker->format, 255, 255, 255, 255)
                                 : SDL_MapRGBA(checker->format, 0, 0, 0, 0);
        }
    }
    SDL_UnlockSurface(checker);
    ASSERT_EQ(IMG_SavePNG(checker, path.c_str()), 0);
    SDL_FreeSurface(checker);

    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(kRed));
    Sprite* sprite = Sprite::create(path);
    ASSERT_NE(sprite, nullptr);
    sprite->setPosition(512, 384);
    scene->addChild(sprite);
    driver.runWithScene(scene);
    expectColor(driver.pixelAt(Vec2(512, 384)), Color4B(255, 128, 128, 255), 4);
}

TEST_F(RenderTest, RenderTargetShowsItsOwnWorldRectangleAndRestoresTheFrame) {
    driver.runWithScene(blueScene());
    Renderer* renderer = Director::getInstance()->getRenderer();
    SDL_Renderer* sdl = renderer->getSDLRenderer();
    SDL_Texture* target =
        SDL_CreateTexture(sdl, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 200, 100);
    ASSERT_NE(target, nullptr);
    LayerColor* square = LayerColor::create(kRed, 50, 50);
    ASSERT_TRUE(renderer->pushRenderTarget(target, Size(100, 50), Color4B(0, 0, 0, 0)));
    square->visit(renderer, Mat4::IDENTITY, Node::FLAGS_NONE);
    renderer->popRenderTarget();
    renderer->flush();

    std::vector<Uint32> pixels(200 * 100);
    SDL_SetRenderTarget(sdl, target);
    ASSERT_EQ(SDL_RenderReadPixels(sdl, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), 200 * 4), 0);
    SDL_SetRenderTarget(sdl, nullptr);
    // Two pixels per unit: the 50-unit square fills the left half, y up.
    EXPECT_EQ(pixels[99 * 200 + 5], 0xffff0000u);
    EXPECT_EQ(pixels[1 * 200 + 95], 0xffff0000u);
    EXPECT_EQ(pixels[50 * 200 + 150] >> 24, 0u);
    SDL_DestroyTexture(target);

    // The window frame is untouched and draws normally afterwards.
    driver.step();
    expectColor(driver.pixelAt(Vec2(30, 30)), kBlue);
}

TEST_F(RenderTest, TextureCacheSharesPicturesByPath) {
    const std::string white = writeSolidPng("shared", 20, 20, Color4B(255, 255, 255, 255));
    TextureCache* cache = Director::getInstance()->getTextureCache();
    Texture2D* first = cache->addImage(white);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(cache->addImage(white), first);
    EXPECT_EQ(Sprite::create(white)->getTexture(), first);
    EXPECT_EQ(cache->addImage(::testing::TempDir() + "no_such_picture.png"), nullptr);
    EXPECT_EQ(Sprite::create(::testing::TempDir() + "no_such_picture.png"), nullptr);
}

TEST_F(RenderTest, PictureThatDoesNotLoadSaysWhichAndWhyInTheLog) {
    const std::string broken = ::testing::TempDir() + "broken_picture.png";
    std::ofstream(broken) << "not a picture";
    const std::string missing = ::testing::TempDir() + "no_such_picture.png";
    for (const std::string& path : {broken, missing}) {
        const engine::Log::Capture log;
        EXPECT_EQ(Director::getInstance()->getTextureCache()->addImage(path), nullptr);
        ASSERT_EQ(log.lines().size(), 1u) << path;
        const std::string said = log.lines().front();
        const std::string start = "pavlune error engine: cannot load picture " + path + ": ";
        EXPECT_EQ(said.rfind(start, 0), 0u) << said;
        EXPECT_GT(said.size(), start.size()) << "a reason follows";
    }
}

TEST_F(RenderTest, ClippedChildDrawsOnlyInsideTheRegion) {
    Scene* scene = blueScene();
    ClippingRectangleNode* clip = ClippingRectangleNode::create(Rect(0, 0, 100, 100));
    clip->setPosition(100, 100);
    clip->addChild(LayerColor::create(kRed, 300, 300));
    scene->addChild(clip);
    driver.runWithScene(scene);

    expectColor(driver.pixelAt(Vec2(150, 150)), kRed);
    expectColor(driver.pixelAt(Vec2(101, 198)), kRed);
    expectColor(driver.pixelAt(Vec2(250, 250)), kBlue);
    expectColor(driver.pixelAt(Vec2(50, 150)), kBlue);

    clip->setClippingEnabled(false);
    driver.step();
    expectColor(driver.pixelAt(Vec2(250, 250)), kRed);
}

TEST_F(RenderTest, NestedClipsIntersectAndRestore) {
    Scene* scene = blueScene();
    ClippingRectangleNode* outer = ClippingRectangleNode::create(Rect(0, 0, 200, 200));
    ClippingRectangleNode* inner = ClippingRectangleNode::create(Rect(100, 100, 200, 200));
    inner->addChild(LayerColor::create(kRed, 1024, 768));
    outer->addChild(inner);
    // Drawn after the inner clip is popped: limited by the outer clip only.
    Node* later = LayerColor::create(kGreen, 50, 50);
    later->setPosition(0, 0);
    outer->addChild(later);
    scene->addChild(outer);
    driver.runWithScene(scene);

    expectColor(driver.pixelAt(Vec2(150, 150)), kRed);  // in both
    expectColor(driver.pixelAt(Vec2(250, 150)), kBlue); // inner only
    expectColor(driver.pixelAt(Vec2(50, 150)), kBlue);  // outer only
    expectColor(driver.pixelAt(Vec2(25, 25)), kGreen);
}

TEST_F(RenderTest, RendererClipStackIntersects) {
    Renderer* renderer = Director::getInstance()->getRenderer();
    ASSERT_NE(renderer, nullptr);
    driver.runWithScene(Scene::create());
    renderer->pushClip(Rect(0, 0, 200, 200));
    renderer->pushClip(Rect(150, -50, 200, 100));
    EXPECT_TRUE(renderer->getClip().equals(Rect(150, 0, 50, 50)));
    renderer->pushClip(Rect(500, 500, 10, 10));
    EXPECT_EQ(renderer->getClip().size, Size::ZERO);
    renderer->popClip();
    renderer->popClip();
    EXPECT_TRUE(renderer->getClip().equals(Rect(0, 0, 200, 200)));
    renderer->popClip();
    renderer->popClip(); // one too many keeps the whole area
    EXPECT_TRUE(renderer->getClip().equals(Rect(0, 0, 1024, 768)));
}

// Counts the rows of `color` in one column of the frame.
int columnHeight(const Image& frame, int x, const Color4B& color) {
    int rows = 0;
    for (int y = 0; y < frame.getHeight(); ++y) {
        const Color4B p = frame.getPixel(x, y);
        if (std::abs(p.r - color.r) < 8 && std::abs(p.g - color.g) < 8 && std::abs(p.b - color.b) < 8) {
            ++rows;
        }
    }
    return rows;
}

TEST_F(RenderTest, CardTurnedAboutTheVerticalAxisIsSeenInPerspective) {
    Scene* scene = blueScene();
    Sprite* card = Sprite::create();
    card->setTextureRect(Rect(0, 0, 200, 280));
    card->setColor(Color3B(255, 0, 0));
    card->setPosition(512, 384);
    scene->addChild(card);
    driver.runWithScene(scene);
    Image flat;
    ASSERT_TRUE(driver.capture(flat));
    EXPECT_EQ(columnHeight(flat, 512 - 90, kRed), 280);
    EXPECT_EQ(columnHeight(flat, 512 + 90, kRed), 280);

    // At 45 degrees the left edge comes towards the eye and looks taller,
    // the right edge goes away and looks shorter; the width shrinks.
    card->setRotation3D(Vec3(0, 45, 0));
    driver.step();
    Image turned;
    ASSERT_TRUE(driver.capture(turned));
    const int left = columnHeight(turned, 512 - 60, kRed);
    const int right = columnHeight(turned, 512 + 60, kRed);
    EXPECT_GT(left, 280);
    EXPECT_LT(right, 280);
    EXPECT_EQ(columnHeight(turned, 512 + 85, kRed), 0);

    // Edge-on: nothing of the card shows.
    card->runAction(RotateTo::create(0.2f, Vec3(0, 90, 0)));
    driver.advance(0.3f);
    EXPECT_NEAR(card->getRotation3D().y, 90, 1e-3f);
    Image edgeOn;
    ASSERT_TRUE(driver.capture(edgeOn));
    for (int x = 512 - 100; x <= 512 + 100; x += 5) {
        EXPECT_LE(columnHeight(edgeOn, x, kRed), 1) << "column " << x;
    }
}

TEST_F(RenderTest, SpritesOutsideTheWindowAreNotDrawn) {
    Scene* scene = blueScene();
    Node* field = Node::create();
    field->setContentSize(Size(1024, 768 * 7));
    for (int i = 0; i < 70; ++i) {
        Sprite* sprite = Sprite::create();
        sprite->setTextureRect(Rect(0, 0, 100, 100));
        sprite->setPosition(100 + (i % 10) * 90, 50 + (i / 10) * 768);
        field->addChild(sprite);
    }
    scene->addChild(field);
    driver.runWithScene(scene);
    const Renderer::Stats& stats = Director::getInstance()->getRenderer()->getStats();
    EXPECT_EQ(stats.quadsDrawn, 1u + 10u); // the background and the first row
    EXPECT_EQ(stats.quadsCulled, 60u);

    field->setPosition(0, -768 * 3 - 400);
    driver.step();
    EXPECT_EQ(stats.quadsDrawn, 1u + 10u);
}

TEST_F(RenderTest, BatchesQuadsOfOneTextureIntoOneCall) {
    const std::string white = writeSolidPng("batch", 20, 20, Color4B(255, 255, 255, 255));
    Scene* scene = Scene::create();
    for (int i = 0; i < 20; ++i) {
        Sprite* sprite = Sprite::create(white);
        sprite->setPosition(30 + i * 40, 300);
        scene->addChild(sprite);
    }
    driver.runWithScene(scene);
    const Renderer::Stats& stats = Director::getInstance()->getRenderer()->getStats();
    EXPECT_EQ(stats.quadsDrawn, 20u);
    EXPECT_EQ(stats.drawCalls, 1u);
}

// Catches opaque plain quads filled with the batch's first colour, upside
// down or at a wrong size, and a turned one filled as its upright box.
TEST_F(RenderTest, OpaqueColourLayersFillTheirOwnRectanglesAndTurnedOnesKeepTheirShape) {
    Scene* scene = blueScene();
    Node* red = LayerColor::create(kRed, 200, 100);
    red->setPosition(100, 100);
    Node* green = LayerColor::create(kGreen, 200, 200);
    green->setPosition(600, 300);
    scene->addChild(red);
    scene->addChild(green);
    driver.runWithScene(scene);

    expectColor(driver.pixelAt(Vec2(105, 105)), kRed);
    expectColor(driver.pixelAt(Vec2(295, 195)), kRed);
    expectColor(driver.pixelAt(Vec2(150, 205)), kBlue);
    expectColor(driver.pixelAt(Vec2(305, 150)), kBlue);
    expectColor(driver.pixelAt(Vec2(610, 310)), kGreen);

    green->setRotation(45);
    driver.step();
    expectColor(driver.pixelAt(Vec2(700, 400)), kGreen);
    expectColor(driver.pixelAt(Vec2(610, 310)), kBlue); // a corner of the upright square
}

TEST_F(RenderTest, FrameCanBeSavedAsPng) {
    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(kGreen));
    driver.runWithScene(scene);
    const std::string path = ::testing::TempDir() + "pavlune_render_frame.png";
    ASSERT_TRUE(driver.saveFrame(path));
    Image saved;
    ASSERT_TRUE(saved.initWithImageFile(path));
    EXPECT_EQ(saved.getWidth(), 1024);
    EXPECT_EQ(saved.getHeight(), 768);
    expectColor(saved.getPixel(10, 10), kGreen);
}

TEST(RenderLetterboxTest, ShowAllKeepsTheWholeDesignAreaAndBlackBars) {
    HeadlessDriver driver(Size(1600, 800)); // wider than 4:3
    GLView* view = driver.getView();
    EXPECT_FLOAT_EQ(view->getScaleX(), 800.0f / 768);
    EXPECT_FLOAT_EQ(view->getScaleY(), 800.0f / 768);
    const Rect& viewport = view->getViewPortRect();
    EXPECT_NEAR(viewport.size.width, 1024 * 800.0f / 768, 1e-3f);
    EXPECT_NEAR(viewport.origin.x, (1600 - viewport.size.width) / 2, 1e-3f);
    EXPECT_EQ(Director::getInstance()->getVisibleSize(), Size(1024, 768));
    EXPECT_EQ(Director::getInstance()->getWinSize(), Size(1024, 768));

    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(kRed));
    // Content beyond the design area stays out of the bars.
    LayerColor* overhang = LayerColor::create(kGreen, 300, 768);
    overhang->setPosition(-200, 0);
    scene->addChild(overhang);
    driver.runWithScene(scene);
    Image frame;
    ASSERT_TRUE(driver.capture(frame));
    EXPECT_EQ(frame.getWidth(), 1600);
    expectColor(frame.getPixel(50, 400), kBlack);
    expectColor(frame.getPixel(1550, 400), kBlack);
    expectColor(frame.getPixel(static_cast<int>(viewport.origin.x) + 50, 400), kGreen);
    expectColor(frame.getPixel(800, 400), kRed);

    // Frame pixels map back to design units.
    const Vec2 centre = view->frameToDesignInView(Vec2(800, 400));
    EXPECT_NEAR(centre.x, 512, 1e-3f);
    EXPECT_NEAR(centre.y, 384, 1e-3f);
}

TEST(RenderLetterboxTest, TallerFrameGetsBarsTopAndBottom) {
    HeadlessDriver driver(Size(512, 768));
    const Rect& viewport = driver.getView()->getViewPortRect();
    EXPECT_FLOAT_EQ(viewport.size.width, 512);
    EXPECT_FLOAT_EQ(viewport.size.height, 384);
    EXPECT_FLOAT_EQ(viewport.origin.y, 192);
    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(kRed));
    driver.runWithScene(scene);
    Image frame;
    ASSERT_TRUE(driver.capture(frame));
    expectColor(frame.getPixel(256, 100), kBlack);
    expectColor(frame.getPixel(256, 384), kRed);
    expectColor(frame.getPixel(256, 700), kBlack);
}

} // namespace

namespace {

TEST(RenderLifetimeTest, PictureKeptAcrossViewsUploadsAgainInTheNextOne) {
    const std::string white = writeSolidPng("survivor", 40, 40, Color4B(255, 255, 255, 255));
    Texture2D* texture = nullptr;
    {
        HeadlessDriver first;
        texture = Director::getInstance()->getTextureCache()->addImage(white);
        ASSERT_NE(texture, nullptr);
        texture->retain();
        Scene* scene = Scene::create();
        Sprite* sprite = Sprite::createWithTexture(texture);
        sprite->setPosition(100, 100);
        scene->addChild(sprite);
        first.runWithScene(scene);
        expectColor(first.pixelAt(Vec2(100, 100)), Color4B(255, 255, 255, 255));
    }
    {
        HeadlessDriver second;
        Scene* scene = Scene::create();
        scene->addChild(LayerColor::create(kBlue));
        Sprite* sprite = Sprite::createWithTexture(texture);
        sprite->setPosition(200, 200);
        scene->addChild(sprite);
        second.runWithScene(scene);
        expectColor(second.pixelAt(Vec2(200, 200)), Color4B(255, 255, 255, 255));
        expectColor(second.pixelAt(Vec2(100, 100)), kBlue);
    }
    texture->release(); // after its last renderer is gone
}

} // namespace
