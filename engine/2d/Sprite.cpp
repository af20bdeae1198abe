#include "engine/2d/Sprite.h"

#include "engine/2d/Director.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/Texture2D.h"
#include "engine/2d/TextureCache.h"

namespace engine {

namespace {

template <class Init> Sprite* createWith(Sprite* sprite, Init init) {
    if (init(sprite)) {
        sprite->autorelease();
        return sprite;
    }
    sprite->release();
    return nullptr;
}

} // namespace

Sprite* Sprite::create(const std::string& filename) {
    return createWith(new Sprite(), [&](Sprite* s) { return s->initWithFile(filename); });
}

Sprite* Sprite::create(const std::string& filename, const Rect& rect) {
    return createWith(new Sprite(), [&](Sprite* s) { return s->initWithFile(filename, rect); });
}

Sprite* Sprite::createWithTexture(Texture2D* texture) {
    return createWith(new Sprite(), [&](Sprite* s) { return s->initWithTexture(texture); });
}

Sprite* Sprite::createWithTexture(Texture2D* texture, const Rect& rect) {
    return createWith(new Sprite(), [&](Sprite* s) { return s->initWithTexture(texture, rect); });
}

Sprite::Sprite() {
    setAnchorPoint(Vec2::ANCHOR_MIDDLE);
}

Sprite::~Sprite() {
    safeRelease(texture_);
}

bool Sprite::init() {
    return initWithTexture(nullptr, Rect::ZERO);
}

bool Sprite::initWithFile(const std::string& filename) {
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    return texture && initWithTexture(texture);
}

bool Sprite::initWithFile(const std::string& filename, const Rect& rect) {
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    return texture && initWithTexture(texture, rect);
}

bool Sprite::initWithTexture(Texture2D* texture) {
    if (!texture) {
        return false;
    }
    return initWithTexture(texture, Rect(Vec2::ZERO, texture->getContentSize()));
}

bool Sprite::initWithTexture(Texture2D* texture, const Rect& rect) {
    if (!Node::init()) {
        return false;
    }
    setTexture(texture);
    setTextureRect(rect);
    return true;
}

void Sprite::setTexture(const std::string& filename) {
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    setTexture(texture);
    setTextureRect(texture ? Rect(Vec2::ZERO, texture->getContentSize()) : Rect::ZERO);
}

void Sprite::setTexture(Texture2D* texture) {
    if (texture == texture_) {
        return;
    }
    if (texture) {
        texture->retain();
    }
    safeRelease(texture_);
    texture_ = texture;
    if (texture_ && textureRect_.size.width == 0 && textureRect_.size.height == 0) {
        setTextureRect(Rect(Vec2::ZERO, texture_->getContentSize()));
    }
}

void Sprite::setTextureRect(const Rect& rect) {
    textureRect_ = rect;
    setContentSize(rect.size);
}

void Sprite::draw(Renderer* renderer, const Mat4& transform, std::uint32_t) {
    const Size& size = getContentSize();
    if (!renderer || size.width <= 0 || size.height <= 0 || getDisplayedOpacity() == 0) {
        return;
    }
    const Color3B& c = getDisplayedColor();
    const Color4B color(c.r, c.g, c.b, getDisplayedOpacity());
    Rect uv(0, 0, 1, 1);
    if (texture_) {
        const Size whole = texture_->getContentSize();
        if (whole.width <= 0 || whole.height <= 0) {
            return;
        }
        uv = Rect(textureRect_.getMinX() / whole.width, textureRect_.getMinY() / whole.height,
                  textureRect_.size.width / whole.width, textureRect_.size.height / whole.height);
    }
    if (flippedX_) {
        uv = Rect(uv.getMaxX(), uv.getMinY(), -uv.size.width, uv.size.height);
    }
    if (flippedY_) {
        uv = Rect(uv.getMinX(), uv.getMaxY(), uv.size.width, -uv.size.height);
    }
    renderer->drawQuad(transform, Rect(0, 0, size.width, size.height), texture_, uv, color);
}

} // namespace engine
