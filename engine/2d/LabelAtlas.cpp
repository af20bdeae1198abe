#include "engine/2d/LabelAtlas.h"

#include "engine/2d/Director.h"
#include "engine/2d/Renderer.h"
#include "engine/2d/Texture2D.h"
#include "engine/2d/TextureCache.h"

#include <cmath>

namespace engine {

LabelAtlas* LabelAtlas::create(const std::string& text, const std::string& charMapFile, int itemWidth,
                               int itemHeight, int startCharMap) {
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(charMapFile);
    return texture ? create(text, texture, itemWidth, itemHeight, startCharMap) : nullptr;
}

LabelAtlas* LabelAtlas::create(const std::string& text, Texture2D* texture, int itemWidth, int itemHeight,
                               int startCharMap) {
    auto* label = new LabelAtlas();
    if (label->initWithString(text, texture, itemWidth, itemHeight, startCharMap)) {
        label->autorelease();
        return label;
    }
    label->release();
    return nullptr;
}

LabelAtlas::~LabelAtlas() {
    safeRelease(texture_);
}

bool LabelAtlas::initWithString(const std::string& text, Texture2D* texture, int itemWidth, int itemHeight,
                                int startCharMap) {
    if (!texture || itemWidth <= 0 || itemHeight <= 0 || !Node::init()) {
        return false;
    }
    itemWidth_ = static_cast<float>(itemWidth);
    itemHeight_ = static_cast<float>(itemHeight);
    startChar_ = startCharMap;
    setTexture(texture);
    text_ = text;
    updateAtlasValues();
    return true;
}

void LabelAtlas::setTexture(Texture2D* texture) {
    if (!texture || texture == texture_) {
        return;
    }
    texture->retain();
    safeRelease(texture_);
    texture_ = texture;
    updateAtlasValues();
}

void LabelAtlas::setString(const std::string& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    updateAtlasValues();
}

int LabelAtlas::columns() const {
    return texture_ ? static_cast<int>(std::floor(texture_->getContentSize().width / itemWidth_ + 1e-3f)) : 0;
}

int LabelAtlas::rows() const {
    return texture_ ? static_cast<int>(std::floor(texture_->getContentSize().height / itemHeight_ + 1e-3f))
                    : 0;
}

bool LabelAtlas::cellFor(char ch, int& column, int& row) const {
    const int cols = columns();
    const int index = static_cast<int>(static_cast<unsigned char>(ch)) - startChar_;
    if (cols <= 0 || index < 0 || index >= cols * rows()) {
        return false;
    }
    column = index % cols;
    row = index / cols;
    return true;
}

void LabelAtlas::updateAtlasValues() {
    quads_ = 0;
    int column = 0, row = 0;
    for (char ch : text_) {
        if (cellFor(ch, column, row)) {
            ++quads_;
        }
    }
    setContentSize(Size(itemWidth_ * static_cast<float>(quads_), itemHeight_));
}

void LabelAtlas::draw(Renderer* renderer, const Mat4& transform, std::uint32_t) {
    if (!renderer || !texture_ || quads_ == 0 || getDisplayedOpacity() == 0) {
        return;
    }
    const Size whole = texture_->getContentSize();
    const Color3B& c = getDisplayedColor();
    const Color4B color(c.r, c.g, c.b, getDisplayedOpacity());
    float x = 0;
    int column = 0, row = 0;
    for (char ch : text_) {
        if (!cellFor(ch, column, row)) {
            continue;
        }
        const Rect uv(column * itemWidth_ / whole.width, row * itemHeight_ / whole.height,
                      itemWidth_ / whole.width, itemHeight_ / whole.height);
        renderer->drawQuad(transform, Rect(x, 0, itemWidth_, itemHeight_), texture_, uv, color);
        x += itemWidth_;
    }
}

} // namespace engine
