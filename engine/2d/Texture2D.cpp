#include "engine/2d/Texture2D.h"

#include "engine/2d/Director.h"

#include <SDL_image.h>

namespace engine {

Texture2D::Texture2D() = default;

Texture2D::~Texture2D() {
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

bool Texture2D::initWithFile(const std::string& path) {
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        return false;
    }
    const bool ok = initWithSurface(loaded);
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

SDL_Texture* Texture2D::getSDLTexture(SDL_Renderer* renderer) {
    if (texture_ && textureRenderer_ == renderer) {
        return texture_;
    }
    if (!surface_) {
        return nullptr; // a render target of another renderer cannot move
    }
    destroyTexture();
    texture_ = SDL_CreateTextureFromSurface(renderer, surface_);
    if (!texture_) {
        return nullptr;
    }
    textureRenderer_ = renderer;
    SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(texture_, smooth_ ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    return texture_;
}

} // namespace engine
