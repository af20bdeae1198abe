#include "engine/2d/RenderTexture.h"

#include "engine/2d/Director.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/Sprite.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Scheduler.h"

#include <SDL_image.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace engine {

namespace {

std::uint8_t toByte(float component) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(1.0f, std::fmax(0.0f, component)) * 255));
}

} // namespace

RenderTexture* RenderTexture::create(int width, int height, Texture2D::PixelFormat format) {
    auto* texture = new RenderTexture();
    if (texture->initWithWidthAndHeight(width, height, format)) {
        texture->autorelease();
        return texture;
    }
    texture->release();
    return nullptr;
}

RenderTexture::~RenderTexture() {
    safeRelease(sprite_);
    safeRelease(texture_);
}

Color4B RenderTexture::emptyColor() const {
    // Without an alpha channel the empty picture is opaque black.
    return format_ == Texture2D::PixelFormat::RGB888 ? Color4B(0, 0, 0, 255) : Color4B(0, 0, 0, 0);
}

bool RenderTexture::initWithWidthAndHeight(int width, int height, Texture2D::PixelFormat format) {
    Director* director = Director::getInstance();
    Renderer* renderer = director->getRenderer();
    if (width <= 0 || height <= 0 || !renderer || !Node::init()) {
        return false;
    }
    format_ = format;
    const float scale = director->getContentScaleFactor();
    const int pixelsWide = std::max(1, static_cast<int>(std::lround(width * scale)));
    const int pixelsHigh = std::max(1, static_cast<int>(std::lround(height * scale)));
    SDL_Renderer* sdl = renderer->getSDLRenderer();
    sdlTexture_ = SDL_CreateTexture(sdl, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, pixelsWide, pixelsHigh);
    if (!sdlTexture_) {
        return false;
    }
    texture_ = new Texture2D();
    if (!texture_->initWithSDLTexture(sdl, sdlTexture_)) {
        SDL_DestroyTexture(sdlTexture_);
        sdlTexture_ = nullptr;
        return false;
    }
    setContentSize(Size(static_cast<float>(width), static_cast<float>(height)));
    const Color4B empty = emptyColor();
    clear(empty.r / 255.0f, empty.g / 255.0f, empty.b / 255.0f, empty.a / 255.0f);
    sprite_ = Sprite::createWithTexture(texture_);
    if (!sprite_) {
        return false;
    }
    sprite_->retain();
    return true;
}

void RenderTexture::begin() {
    Renderer* renderer = Director::getInstance()->getRenderer();
    if (drawing_ || !renderer) {
        return;
    }
    drawing_ = renderer->pushRenderTarget(sdlTexture_, getContentSize(), emptyColor(), false);
}

void RenderTexture::beginWithClear(float r, float g, float b, float a) {
    Renderer* renderer = Director::getInstance()->getRenderer();
    if (drawing_ || !renderer) {
        return;
    }
    const Color4B color(toByte(r), toByte(g), toByte(b),
                        format_ == Texture2D::PixelFormat::RGB888 ? std::uint8_t{255} : toByte(a));
    drawing_ = renderer->pushRenderTarget(sdlTexture_, getContentSize(), color, true);
}

void RenderTexture::end() {
    if (!drawing_) {
        return;
    }
    Renderer* renderer = Director::getInstance()->getRenderer();
    renderer->flush();
    renderer->popRenderTarget();
    drawing_ = false;
}

void RenderTexture::clear(float r, float g, float b, float a) {
    if (drawing_) {
        end();
        beginWithClear(r, g, b, a);
        return;
    }
    beginWithClear(r, g, b, a);
    end();
}

bool RenderTexture::newImage(Image& out) const {
    Renderer* renderer = Director::getInstance()->getRenderer();
    if (!renderer || !sdlTexture_) {
        return false;
    }
    renderer->flush();
    SDL_Renderer* sdl = renderer->getSDLRenderer();
    const int w = texture_->getPixelsWide();
    const int h = texture_->getPixelsHigh();
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    SDL_Texture* previous = SDL_GetRenderTarget(sdl);
    SDL_Rect clip;
    SDL_RenderGetClipRect(sdl, &clip);
    const bool clipped = SDL_RenderIsClipEnabled(sdl);
    bool ok = SDL_SetRenderTarget(sdl, sdlTexture_) == 0 &&
              SDL_RenderReadPixels(sdl, nullptr, SDL_PIXELFORMAT_RGBA32, pixels.data(), w * 4) == 0;
    SDL_SetRenderTarget(sdl, previous);
    SDL_RenderSetClipRect(sdl, clipped ? &clip : nullptr);
    if (ok && format_ == Texture2D::PixelFormat::RGB888) {
        for (std::size_t i = 3; i < pixels.size(); i += 4) {
            pixels[i] = 255;
        }
    }
    return ok && out.initWithRawData(pixels.data(), w, h);
}

bool RenderTexture::writePng(const std::string& fullPath, bool withAlpha) const {
    Image image;
    if (!newImage(image)) {
        return false;
    }
    const auto slash = fullPath.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        FileUtils::getInstance()->createDirectory(fullPath.substr(0, slash));
    }
    const std::vector<std::uint8_t>& data = image.getData();
    SDL_Surface* rgba = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(data.data()), image.getWidth(),
                                                           image.getHeight(), 32, image.getWidth() * 4,
                                                           SDL_PIXELFORMAT_RGBA32);
    if (!rgba) {
        return false;
    }
    SDL_Surface* toSave = withAlpha ? rgba : SDL_ConvertSurfaceFormat(rgba, SDL_PIXELFORMAT_RGB24, 0);
    // Written beside the target and renamed over it: a reader never sees half a picture.
    const std::string temporary = fullPath + ".tmp";
    bool ok = toSave && IMG_SavePNG(toSave, temporary.c_str()) == 0;
    if (ok) {
        ok = std::rename(temporary.c_str(), fullPath.c_str()) == 0;
    }
    if (!ok) {
        std::remove(temporary.c_str());
    }
    if (toSave && toSave != rgba) {
        SDL_FreeSurface(toSave);
    }
    SDL_FreeSurface(rgba);
    return ok;
}

bool RenderTexture::saveToFile(const std::string& fileName, Image::Format format, bool isRGBA,
                               SaveCallback callback) {
    if (drawing_) {
        end();
    }
    const std::string fullPath =
        !fileName.empty() && fileName.front() == '/' ? fileName : FileUtils::getInstance()->getWritablePath() + fileName;
    const bool withAlpha = isRGBA && format_ == Texture2D::PixelFormat::RGBA8888;
    const bool ok = format == Image::Format::PNG && !fileName.empty() && writePng(fullPath, withAlpha);
    if (callback) {
        retain();
        Director::getInstance()->getScheduler()->performFunctionInCocosThread([this, callback = std::move(callback), fullPath] {
            callback(this, fullPath);
            release();
        });
    }
    return ok;
}

} // namespace engine
