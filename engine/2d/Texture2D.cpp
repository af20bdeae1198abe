#include "engine/2d/Texture2D.h"

#include "engine/2d/Director.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"

#include <SDL_image.h>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_set>

namespace engine {

namespace {

// Every live texture, so that a renderer going away can be forgotten by all.
std::unordered_set<Texture2D*>& liveTextures() {
    static std::unordered_set<Texture2D*> textures;
    return textures;
}

// A picture file is read whole before it is decoded, at most this many bytes
// (a 4096-pixel square PNG that does not compress stays below it).
constexpr std::size_t kMaxPictureFileBytes = std::size_t{64} << 20;

// Whether the bytes are something other than a PNG of at most `maxSide`
// pixels each way, by its signature and the IHDR chunk that must follow it.
bool isBeyondPngLimit(const std::string& bytes, int maxSide) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto* header = reinterpret_cast<const unsigned char*>(bytes.data());
    if (bytes.size() < 24 || std::memcmp(header, signature, 8) != 0 ||
        std::memcmp(header + 12, "IHDR", 4) != 0) {
        return true;
    }
    const auto side = [header](int at) {
        return (std::uint32_t{header[at]} << 24) | (std::uint32_t{header[at + 1]} << 16) |
               (std::uint32_t{header[at + 2]} << 8) | std::uint32_t{header[at + 3]};
    };
    const auto limit = static_cast<std::uint32_t>(maxSide);
    return side(16) > limit || side(20) > limit;
}

} // namespace

Texture2D::Texture2D() {
    liveTextures().insert(this);
}

void Texture2D::forgetRenderer(SDL_Renderer* renderer) {
    for (Texture2D* texture : liveTextures()) {
        if (texture->texture_ && texture->textureRenderer_ == renderer) {
            texture->texture_ = nullptr;
            texture->textureRenderer_ = nullptr;
        }
    }
}

Texture2D::~Texture2D() {
    liveTextures().erase(this);
    destroyTexture();
    if (surface_) {
        SDL_FreeSurface(surface_);
    }
}

void Texture2D::destroyTexture() {
    if (texture_) {
        SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        textureRenderer_ = nullptr;
    }
}

SDL_Surface* Texture2D::decodeFile(const std::string& path, int maxSide) {
    // Read through FileUtils, which opens only regular files and never waits
    // on one: a pipe or device put in a picture's place cannot hold a decoder.
    const FileUtils::FileRead file = FileUtils::getInstance()->readFileUpTo(path, kMaxPictureFileBytes);
    if (file.status != FileUtils::FileRead::Status::Read) {
        const char* reason = file.status == FileUtils::FileRead::Status::TooLarge ? "too large"
                             : file.status == FileUtils::FileRead::Status::Missing
                                 ? "missing or not a regular file"
                                 : std::strerror(file.error);
        Log::error("engine", "cannot load picture " + path + ": " + reason);
        return nullptr;
    }
    if (maxSide > 0 && isBeyondPngLimit(file.bytes, maxSide)) {
        Log::error("engine", "cannot load picture " + path + ": not a PNG of at most " +
                                 std::to_string(maxSide) + " x " + std::to_string(maxSide) + " pixels");
        return nullptr;
    }
    const auto dot = path.find_last_of('.');
    const std::string type = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    SDL_Surface* loaded =
        IMG_LoadTyped_RW(SDL_RWFromConstMem(file.bytes.data(), static_cast<int>(file.bytes.size())), 1,
                         type.empty() ? nullptr : type.c_str());
    if (!loaded) {
        Log::error("engine", "cannot load picture " + path + ": " + IMG_GetError());
        return nullptr;
    }
    if (loaded->format->format == SDL_PIXELFORMAT_ARGB8888) {
        return loaded;
    }
    SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    return converted;
}

void Texture2D::beginDecodingThread() {
    SDL_SetThreadPriority(SDL_THREAD_PRIORITY_LOW);
}

void Texture2D::endDecodingThread() {
    SDL_TLSCleanup();
}

bool Texture2D::initWithFile(const std::string& path) {
    SDL_Surface* loaded = decodeFile(path);
    if (!loaded) {
        return false;
    }
    const bool ok = initWithSurface(loaded);
    if (!ok) {
        Log::error("engine", "cannot load picture " + path + ": it has no pixels");
    }
    SDL_FreeSurface(loaded); // initWithSurface took its own reference
    return ok;
}

bool Texture2D::initWithSurface(SDL_Surface* surface) {
    if (!surface || surface->w <= 0 || surface->h <= 0) {
        return false;
    }
    ++surface->refcount;
    if (surface_) {
        SDL_FreeSurface(surface_);
    }
    destroyTexture();
    surface_ = surface;
    pixelsWide_ = surface->w;
    pixelsHigh_ = surface->h;
    return true;
}

bool Texture2D::initWithSDLTexture(SDL_Renderer* renderer, SDL_Texture* texture) {
    int w = 0, h = 0;
    if (!renderer || !texture || SDL_QueryTexture(texture, nullptr, nullptr, &w, &h) != 0) {
        return false;
    }
    destroyTexture();
    texture_ = texture;
    textureRenderer_ = renderer;
    pixelsWide_ = w;
    pixelsHigh_ = h;
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture_, smooth_ ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    return true;
}

Size Texture2D::getContentSize() const {
    const float factor = Director::getInstance()->getContentScaleFactor();
    return Size(pixelsWide_ / factor, pixelsHigh_ / factor);
}

void Texture2D::setAntiAliasTexParameters() {
    smooth_ = true;
    if (texture_) {
        SDL_SetTextureScaleMode(texture_, SDL_ScaleModeLinear);
    }
}

void Texture2D::setAliasTexParameters() {
    smooth_ = false;
    if (texture_) {
        SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    }
}

SDL_Texture* Texture2D::getSDLTexture(SDL_Renderer* renderer, float downscale) {
    // Quantised so that tiny changes of the window size do not re-upload.
    const float scale = std::clamp(std::round(downscale * 64.0f) / 64.0f, 1.0f / 64, 1.0f);
    if (texture_ && textureRenderer_ == renderer && (textureScale_ == scale || !surface_)) {
        return texture_;
    }
    if (!surface_) {
        return nullptr; // a render target of another renderer cannot move
    }
    destroyTexture();
    SDL_Surface* pixels = scaledCopy(surface_, scale);
    if (!pixels) {
        return nullptr;
    }
    texture_ = SDL_CreateTextureFromSurface(renderer, pixels);
    SDL_FreeSurface(pixels);
    if (!texture_) {
        return nullptr;
    }
    textureRenderer_ = renderer;
    textureScale_ = scale;
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture_, smooth_ ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    return texture_;
}

SDL_Surface* Texture2D::scaledCopy(SDL_Surface* source, float scale) {
    // ARGB8888 is what the software renderer draws into, so blits need no conversion.
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(source, SDL_PIXELFORMAT_ARGB8888, 0);
    if (!argb || scale >= 1.0f) {
        return argb;
    }
    const int w = std::max(1, static_cast<int>(std::lround(argb->w * scale)));
    const int h = std::max(1, static_cast<int>(std::lround(argb->h * scale)));
    SDL_Surface* reduced = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!reduced) {
        return argb;
    }
    const int factor = argb->w / w;
    if (factor > 1 && argb->w == w * factor && argb->h == h * factor) {
        boxFilter(argb, reduced, factor);
    } else {
        SDL_SoftStretchLinear(argb, nullptr, reduced, nullptr);
    }
    SDL_FreeSurface(argb);
    return reduced;
}

void Texture2D::boxFilter(SDL_Surface* source, SDL_Surface* target, int factor) {
    // Averages factor x factor blocks, weighting colours by alpha so that
    // transparent pixels do not darken the edges of a picture.
    SDL_LockSurface(source);
    SDL_LockSurface(target);
    for (int y = 0; y < target->h; ++y) {
        auto* out = reinterpret_cast<Uint32*>(static_cast<Uint8*>(target->pixels) +
                                              static_cast<std::ptrdiff_t>(y) * target->pitch);
        for (int x = 0; x < target->w; ++x) {
            Uint32 a = 0, r = 0, g = 0, b = 0;
            for (int dy = 0; dy < factor; ++dy) {
                const auto* in = reinterpret_cast<const Uint32*>(
                                     static_cast<const Uint8*>(source->pixels) +
                                     static_cast<std::ptrdiff_t>(y * factor + dy) * source->pitch) +
                                 static_cast<std::ptrdiff_t>(x) * factor;
                for (int dx = 0; dx < factor; ++dx) {
                    const Uint32 p = in[dx];
                    const Uint32 pa = p >> 24;
                    a += pa;
                    r += ((p >> 16) & 0xff) * pa;
                    g += ((p >> 8) & 0xff) * pa;
                    b += (p & 0xff) * pa;
                }
            }
            const Uint32 n = static_cast<Uint32>(factor * factor);
            if (a == 0) {
                out[x] = 0;
            } else {
                out[x] = ((a / n) << 24) | ((r / a) << 16) | ((g / a) << 8) | (b / a);
            }
        }
    }
    SDL_UnlockSurface(target);
    SDL_UnlockSurface(source);
}

} // namespace engine
