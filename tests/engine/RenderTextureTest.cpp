#include "engine/2d/RenderTexture.h"

#include "engine/2d/Director.h"
#include "engine/2d/LabelAtlas.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/Texture2D.h"
#include "engine/2d/TextureCache.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "tests/support/WritesFail.h"

#include <SDL_image.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>

namespace {

using namespace engine;
namespace fs = std::filesystem;

void expectColor(const Color4B& actual, const Color4B& expected, int tolerance = 3) {
    EXPECT_NEAR(actual.r, expected.r, tolerance);
    EXPECT_NEAR(actual.g, expected.g, tolerance);
    EXPECT_NEAR(actual.b, expected.b, tolerance);
    EXPECT_NEAR(actual.a, expected.a, tolerance);
}

// A character map of `columns` x `rows` cells of 9 x 11 design units (18 x 22
// pixels); cell i is filled with the grey (20 i, 20 i, 255).
std::string writeCharacterMap(const std::string& name, int columns, int rows) {
    const std::string path = ::testing::TempDir() + "pavlune_text_" + name + ".png";
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, 18 * columns, 22 * rows, 32, SDL_PIXELFORMAT_RGBA32);
    for (int i = 0; i < columns * rows; ++i) {
        SDL_Rect cell{18 * (i % columns), 22 * (i / columns), 18, 22};
        const Uint8 v = static_cast<Uint8>(20 * i);
        SDL_FillRect(surface, &cell, SDL_MapRGBA(surface->format, v, v, 255, 255));
    }
    EXPECT_EQ(IMG_SavePNG(surface, path.c_str()), 0);
    SDL_FreeSurface(surface);
    return path;
}

std::string writeSolidPng(const std::string& path, const Color4B& color) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, color.r, color.g, color.b, color.a));
    EXPECT_EQ(IMG_SavePNG(surface, path.c_str()), 0);
    SDL_FreeSurface(surface);
    return path;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

Color4B surfacePixel(SDL_Surface* surface, int x, int y) {
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGBA32, 0);
    const auto* p = static_cast<const Uint8*>(rgba->pixels) + y * rgba->pitch + x * 4;
    const Color4B c(p[0], p[1], p[2], p[3]);
    SDL_FreeSurface(rgba);
    return c;
}

class RenderTextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        writable = fs::path(::testing::TempDir()) / ("pavlune_rt_" + std::to_string(::getpid()));
        fs::remove_all(writable);
        fs::create_directories(writable);
        FileUtils::getInstance()->setWritablePath(writable.string() + "/");
    }
    void TearDown() override {
        // Back to the default, without asking for it: reading the writable
        // path creates its folder, which would be the user's own.
        FileUtils::getInstance()->setWritablePath("");
        fs::remove_all(writable);
    }

    HeadlessDriver driver;
    fs::path writable;
};

TEST_F(RenderTextureTest, LabelAtlasDrawsOneCellPerCharacterAndSkipsTheRest) {
    const std::string map = writeCharacterMap("digits", 10, 1);
    LabelAtlas* label = LabelAtlas::create("1e+06", map, 9, 11, '0');
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->getQuadsToDraw(), 3); // 'e' and '+' are not on the map
    EXPECT_EQ(label->getContentSize(), Size(27, 11));

    label->setString("907");
    Scene* scene = Scene::create();
    label->setAnchorPoint(Vec2::ANCHOR_BOTTOM_LEFT);
    label->setPosition(100, 100);
    scene->addChild(label);
    driver.runWithScene(scene);
    expectColor(driver.pixelAt(Vec2(104.5f, 105.5f)), Color4B(180, 180, 255, 255));
    expectColor(driver.pixelAt(Vec2(113.5f, 105.5f)), Color4B(0, 0, 255, 255));
    expectColor(driver.pixelAt(Vec2(122.5f, 105.5f)), Color4B(140, 140, 255, 255));
    expectColor(driver.pixelAt(Vec2(131.5f, 105.5f)), Color4B(0, 0, 0, 255)); // nothing after the text
}

TEST_F(RenderTextureTest, LabelAtlasFindsCellsRowByRowFromTheFirstCharacter) {
    // "./0123456789" on a 4 x 3 map, as the input number maps are laid out.
    const std::string map = writeCharacterMap("grid", 4, 3);
    LabelAtlas* label = LabelAtlas::create("", map, 9, 11, '.');
    ASSERT_NE(label, nullptr);
    int column = -1, row = -1;
    ASSERT_TRUE(label->cellFor('.', column, row));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 0);
    ASSERT_TRUE(label->cellFor('2', column, row));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 1);
    ASSERT_TRUE(label->cellFor('9', column, row));
    EXPECT_EQ(column, 3);
    EXPECT_EQ(row, 2);
    EXPECT_FALSE(label->cellFor('-', column, row));
    EXPECT_FALSE(label->cellFor(':', column, row));
    EXPECT_EQ(label->getContentSize(), Size(0, 11));
}

TEST_F(RenderTextureTest, DrawsVisitedNodesAndSavesThemAsPng) {
    RenderTexture* texture = RenderTexture::create(20, 10, Texture2D::PixelFormat::RGBA8888);
    ASSERT_NE(texture, nullptr);
    LayerColor* red = LayerColor::create(Color4B(255, 0, 0, 255), 10, 10);
    texture->begin();
    red->visit();
    texture->end();

    Image image;
    ASSERT_TRUE(texture->newImage(image));
    ASSERT_EQ(image.getWidth(), 40); // content scale factor 2
    ASSERT_EQ(image.getHeight(), 20);
    expectColor(image.getPixel(5, 10), Color4B(255, 0, 0, 255));
    expectColor(image.getPixel(35, 10), Color4B(0, 0, 0, 0));

    std::string calledWith;
    int calls = 0;
    ASSERT_TRUE(texture->saveToFile("savedatas/img1.png", Image::Format::PNG, true,
                                    [&](RenderTexture* rt, const std::string& path) {
                                        EXPECT_EQ(rt, texture);
                                        calledWith = path;
                                        ++calls;
                                    }));
    const std::string expected = (writable / "savedatas/img1.png").string();
    EXPECT_TRUE(fs::exists(expected));
    EXPECT_EQ(calls, 0); // on the main thread, at the next frame
    driver.step();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(calledWith, expected);
    EXPECT_FALSE(fs::exists(expected + ".tmp"));

    SDL_Surface* saved = IMG_Load(expected.c_str());
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->w, 40);
    EXPECT_EQ(saved->h, 20);
    EXPECT_NE(saved->format->Amask, 0u);
    expectColor(surfacePixel(saved, 5, 10), Color4B(255, 0, 0, 255));
    expectColor(surfacePixel(saved, 35, 10), Color4B(0, 0, 0, 0));
    SDL_FreeSurface(saved);
}

TEST_F(RenderTextureTest, OpaqueTextureAndItsSpriteInAnotherTexture) {
    // The thumbnail path: draw into an RGB888 texture, then draw its sprite
    // scaled into a second texture.
    RenderTexture* first = RenderTexture::create(100, 100, Texture2D::PixelFormat::RGB888);
    ASSERT_NE(first, nullptr);
    LayerColor* green = LayerColor::create(Color4B(0, 255, 0, 255), 50, 100);
    first->begin();
    green->visit();
    first->end();

    RenderTexture* second = RenderTexture::create(50, 50);
    Sprite* sprite = first->getSprite();
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->getContentSize(), Size(100, 100));
    sprite->setPosition(25, 25);
    sprite->setScale(0.5f);
    second->begin();
    sprite->visit();
    second->end();
    Image image;
    ASSERT_TRUE(second->newImage(image));
    expectColor(image.getPixel(20, 50), Color4B(0, 255, 0, 255));
    expectColor(image.getPixel(80, 50), Color4B(0, 0, 0, 255)); // opaque black, not transparent

    ASSERT_TRUE(first->saveToFile("opaque.png", Image::Format::PNG, true, nullptr));
    SDL_Surface* saved = IMG_Load((writable / "opaque.png").string().c_str());
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->format->Amask, 0u); // RGB888 has no alpha to save
    SDL_FreeSurface(saved);

    // The window is drawn as before once the textures are done.
    Scene* scene = Scene::create();
    scene->addChild(LayerColor::create(Color4B(0, 0, 255, 255)));
    driver.runWithScene(scene);
    expectColor(driver.pixelAt(Vec2(500, 400)), Color4B(0, 0, 255, 255));
}

TEST_F(RenderTextureTest, APictureWriteOnAFullDiskKeepsTheOldPictureAndStillCallsBack) {
    const std::string target = (writable / "thumb.png").string();
    writeSolidPng(target, Color4B(10, 20, 30, 255));
    const std::string before = readAll(target);

    RenderTexture* texture = RenderTexture::create(10, 10);
    ASSERT_NE(texture, nullptr);
    int calls = 0;
    bool saved = true;
    const engine::Log::Capture log;
    {
        WritesFail full;
        saved = texture->saveToFile("thumb.png", Image::Format::PNG, true,
                                    [&](RenderTexture*, const std::string&) { ++calls; });
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(texture->getSaveFailure(), std::strerror(EFBIG)) << "the caller hears why";
    EXPECT_EQ(log.linesWith({"error engine", target, std::strerror(EFBIG)}).size(), 1u)
        << "why, and which file";
    driver.step();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(readAll(target), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(writable), fs::directory_iterator()), 1)
        << "no temporary file left behind";
}

TEST_F(RenderTextureTest, APlantedTemporarySymlinkIsNeverFollowed) {
    const fs::path outside = writable / "outside.txt";
    std::ofstream(outside) << "not a picture";
    fs::create_directories(writable / "savedatas");
    fs::create_symlink(outside, writable / "savedatas/img1.png.tmp");

    RenderTexture* texture = RenderTexture::create(10, 10);
    ASSERT_NE(texture, nullptr);
    ASSERT_TRUE(texture->saveToFile("savedatas/img1.png", Image::Format::PNG, true, nullptr));
    EXPECT_EQ(readAll(outside.string()), "not a picture");
    EXPECT_TRUE(fs::is_symlink(writable / "savedatas/img1.png.tmp"));
    EXPECT_FALSE(fs::is_symlink(writable / "savedatas/img1.png"));
}

TEST_F(RenderTextureTest, PicturesBeyondTheSideLimitOrNotPngAreNotDecoded) {
    const std::string png = writeSolidPng((writable / "eight.png").string(), Color4B(1, 2, 3, 255));
    SDL_Surface* within = Texture2D::decodeFile(png, 8);
    EXPECT_NE(within, nullptr);
    SDL_FreeSurface(within);
    EXPECT_EQ(Texture2D::decodeFile(png, 7), nullptr);

    // A header that claims 30000 x 30000 is refused before anything is decoded.
    const std::string huge = (writable / "huge.png").string();
    std::ofstream(huge, std::ios::binary)
        << std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x75\x30\0\0\x75\x30", 24);
    EXPECT_EQ(Texture2D::decodeFile(huge, 4096), nullptr);

    const std::string bmp = (writable / "eight.bmp").string();
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, 8, 8, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_SaveBMP(surface, bmp.c_str());
    SDL_FreeSurface(surface);
    EXPECT_EQ(Texture2D::decodeFile(bmp, 4096), nullptr);
    SDL_Surface* anyKind = Texture2D::decodeFile(bmp);
    EXPECT_NE(anyKind, nullptr) << "resources keep every format";
    SDL_FreeSurface(anyKind);
}

TEST_F(RenderTextureTest, DroppedCacheEntryLoadsTheRewrittenPicture) {
    const std::string path = (writable / "img7.png").string();
    writeSolidPng(path, Color4B(255, 0, 0, 255));
    TextureCache* cache = Director::getInstance()->getTextureCache();
    Texture2D* old = cache->addImage(path);
    ASSERT_NE(old, nullptr);
    writeSolidPng(path, Color4B(0, 0, 255, 255));
    EXPECT_EQ(cache->addImage(path), old); // still the cached picture
    cache->removeTextureForKey(path);
    EXPECT_EQ(cache->getTextureForKey(path), nullptr);
    Texture2D* fresh = cache->addImage(path);
    ASSERT_NE(fresh, nullptr);
    expectColor(surfacePixel(fresh->getSurface(), 1, 1), Color4B(0, 0, 255, 255));
}

} // namespace
