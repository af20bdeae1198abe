#include "engine/2d/RenderTexture.h"

#include "engine/2d/Director.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/Sprite.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"
#include "engine/base/Scheduler.h"

#include <SDL_image.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace engine {

namespace {

std::uint8_t toByte(float component) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(1.0f, std::fmax(0.0f, component)) * 255));
}

// What the memory stream writes into, and where it stands.
struct MemoryStream {
    std::vector<unsigned char>* bytes;
    std::size_t position = 0;
};

MemoryStream& memoryOf(SDL_RWops* stream) {
    return *static_cast<MemoryStream*>(stream->hidden.unknown.data1);
}

// An SDL stream that appends what is written to `bytes`, so that a picture is
// encoded in memory and reaches the disk through the file layer's atomic write.
SDL_RWops* memoryWriter(std::vector<unsigned char>& bytes) {
    SDL_RWops* stream = SDL_AllocRW();
    if (!stream) {
        return nullptr;
    }
    stream->type = SDL_RWOPS_UNKNOWN;
    stream->hidden.unknown.data1 = new MemoryStream{&bytes};
    stream->size = [](SDL_RWops* self) -> Sint64 {
        return static_cast<Sint64>(memoryOf(self).bytes->size());
    };
    stream->seek = [](SDL_RWops* self, Sint64 offset, int whence) -> Sint64 {
        MemoryStream& memory = memoryOf(self);
        const Sint64 base = whence == RW_SEEK_SET   ? 0
                            : whence == RW_SEEK_CUR ? static_cast<Sint64>(memory.position)
                                                    : static_cast<Sint64>(memory.bytes->size());
        if (base + offset < 0) {
            return SDL_SetError("seek before the start");
        }
        memory.position = static_cast<std::size_t>(base + offset);
        return base + offset;
    };
    stream->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
    stream->write = [](SDL_RWops* self, const void* from, size_t size, size_t count) -> size_t {
        MemoryStream& memory = memoryOf(self);
        const std::size_t length = size * count;
        if (memory.bytes->size() < memory.position + length) {
            memory.bytes->resize(memory.position + length);
        }
        std::memcpy(memory.bytes->data() + memory.position, from, length);
        memory.position += length;
        return count;
    };
    stream->close = [](SDL_RWops* self) -> int {
        delete &memoryOf(self);
        SDL_FreeRW(self);
        return 0;
    };
    return stream;
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
    sdlTexture_ =
        SDL_CreateTexture(sdl, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, pixelsWide, pixelsHigh);
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

std::string RenderTexture::writePng(const std::string& fullPath, bool withAlpha) const {
    Image image;
    if (!newImage(image)) {
        return "its pixels cannot be read";
    }
    const auto slash = fullPath.find_last_of("/\\");
    if (slash != std::string::npos && slash > 0) {
        FileUtils::getInstance()->createDirectory(fullPath.substr(0, slash));
    }
    const std::vector<std::uint8_t>& data = image.getData();
    SDL_Surface* rgba = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint8_t*>(data.data()),
                                                           image.getWidth(), image.getHeight(), 32,
                                                           image.getWidth() * 4, SDL_PIXELFORMAT_RGBA32);
    if (!rgba) {
        return SDL_GetError();
    }
    SDL_Surface* toSave = withAlpha ? rgba : SDL_ConvertSurfaceFormat(rgba, SDL_PIXELFORMAT_RGB24, 0);
    // Encoded in memory, then written like every other file (a fresh temporary
    // name, checked, flushed, renamed), so a full disk keeps the old picture.
    std::vector<unsigned char> png;
    SDL_RWops* stream = toSave ? memoryWriter(png) : nullptr;
    const bool encoded = stream && IMG_SavePNG_RW(toSave, stream, 1) == 0 && !png.empty();
    int error = 0;
    std::string failure;
    if (!encoded) {
        failure = "cannot encode it as PNG";
    } else if (!FileUtils::getInstance()->writeDataToFile(png, fullPath, &error)) {
        failure = std::strerror(error);
    }
    if (toSave && toSave != rgba) {
        SDL_FreeSurface(toSave);
    }
    SDL_FreeSurface(rgba);
    return failure;
}

bool RenderTexture::saveToFile(const std::string& fileName, Image::Format format, bool isRGBA,
                               SaveCallback callback) {
    if (drawing_) {
        end();
    }
    const std::string fullPath = FileUtils::getInstance()->isAbsolutePath(fileName)
                                     ? fileName
                                     : FileUtils::getInstance()->getWritablePath() + fileName;
    const bool withAlpha = isRGBA && format_ == Texture2D::PixelFormat::RGBA8888;
    if (format != Image::Format::PNG) {
        saveFailure_ = "only PNG is written";
    } else if (fileName.empty()) {
        saveFailure_ = "no file name";
    } else {
        saveFailure_ = writePng(fullPath, withAlpha);
    }
    if (!saveFailure_.empty()) {
        Log::error("engine", fullPath + ": picture not written: " + saveFailure_);
    }
    if (callback) {
        retain();
        Director::getInstance()->getScheduler()->performFunctionInCocosThread(
            [this, callback = std::move(callback), fullPath] {
                callback(this, fullPath);
                release();
            });
    }
    return saveFailure_.empty();
}

} // namespace engine
