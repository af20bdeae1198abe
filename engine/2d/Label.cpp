#include "engine/2d/Label.h"

#include "engine/2d/Renderer.h"
#include "engine/2d/Texture2D.h"
#include "engine/platform/FontResolver.h"
#include "engine/platform/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace engine {

struct Label::Lines {
    std::vector<TextLayout::Line> lines;
};

namespace {

Label* finishCreate(Label* label, bool ok) {
    if (ok) {
        label->autorelease();
        return label;
    }
    label->release();
    return nullptr;
}

} // namespace

Label::Label() : lines_(std::make_unique<Lines>()) {
    setAnchorPoint(Vec2::ANCHOR_MIDDLE);
}

Label::~Label() {
    safeRelease(texture_);
}

bool Label::init() {
    if (!Node::init()) {
        return false;
    }
    updateLayout();
    return true;
}

Label* Label::createWithSystemFont(const std::string& text, const std::string& font, float fontSize,
                                   const Size& dimensions, TextHAlignment hAlignment,
                                   TextVAlignment vAlignment) {
    auto* label = new Label();
    label->text_ = text;
    label->systemFontName_ = font;
    label->fontSize_ = fontSize;
    label->dimensions_ = dimensions;
    label->hAlignment_ = hAlignment;
    label->vAlignment_ = vAlignment;
    return finishCreate(label, label->init());
}

Label* Label::createWithTTF(const std::string& text, const std::string& fontFile, float fontSize,
                            const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment) {
    auto* label = new Label();
    label->text_ = text;
    label->fontFile_ = fontFile;
    label->fontSize_ = fontSize;
    label->dimensions_ = dimensions;
    label->hAlignment_ = hAlignment;
    label->vAlignment_ = vAlignment;
    return finishCreate(label, !fontFile.empty() && label->init());
}

Label* Label::createWithTTF(const TTFConfig& config, const std::string& text, TextHAlignment hAlignment,
                            int maxLineWidth) {
    return createWithTTF(text, config.fontFilePath, config.fontSize,
                         Size(static_cast<float>(maxLineWidth), 0), hAlignment, TextVAlignment::TOP);
}

void Label::setString(const std::string& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    updateLayout();
}

void Label::setSystemFontName(const std::string& font) {
    if (font == systemFontName_ && fontFile_.empty()) {
        return;
    }
    systemFontName_ = font;
    fontFile_.clear();
    layout_.reset();
    updateLayout();
}

void Label::setSystemFontSize(float size) {
    if (size == fontSize_) {
        return;
    }
    fontSize_ = size;
    layout_.reset();
    updateLayout();
}

bool Label::setTTFConfig(const TTFConfig& config) {
    if (config.fontFilePath.empty()) {
        return false;
    }
    fontFile_ = config.fontFilePath;
    fontSize_ = config.fontSize;
    layout_.reset();
    updateLayout();
    return true;
}

void Label::setDimensions(float width, float height) {
    if (width == dimensions_.width && height == dimensions_.height) {
        return;
    }
    dimensions_ = Size(std::max(0.0f, width), std::max(0.0f, height));
    updateLayout();
}

void Label::setAlignment(TextHAlignment hAlignment) {
    setAlignment(hAlignment, vAlignment_);
}

void Label::setAlignment(TextHAlignment hAlignment, TextVAlignment vAlignment) {
    if (hAlignment == hAlignment_ && vAlignment == vAlignment_) {
        return;
    }
    hAlignment_ = hAlignment;
    vAlignment_ = vAlignment;
    dropTexture();
}

float Label::measureText(const std::string& text) const {
    return layout_ ? layout_->measure(text) : 0;
}

void Label::dropTexture() {
    safeRelease(texture_);
    textureDensity_ = 0;
}

void Label::updateLayout() {
    if (!layout_) {
        FontResolver& resolver = FontResolver::getInstance();
        const FontFace face = fontFile_.empty() ? resolver.resolveSystemFont(systemFontName_)
                                                : resolver.resolveFontFile(fontFile_);
        layout_ = std::make_unique<TextLayout>(face, fontSize_);
    }
    lines_->lines =
        text_.empty() ? std::vector<TextLayout::Line>{} : layout_->breakLines(text_, dimensions_.width);
    lineWidths_.clear();
    float widest = 0;
    for (const TextLayout::Line& line : lines_->lines) {
        lineWidths_.push_back(line.width);
        widest = std::max(widest, line.width);
    }
    lineHeight_ = layout_->lineHeight(lines_->lines);
    const float width = dimensions_.width > 0 ? dimensions_.width : std::ceil(widest);
    const float textHeight = static_cast<float>(lines_->lines.size()) * lineHeight_;
    const float height = dimensions_.height > 0 ? dimensions_.height : std::ceil(textHeight);
    setContentSize(Size(width, height));
    dropTexture();
}

float Label::densityFor(Renderer* renderer, const Mat4& transform) const {
    const float perUnit = renderer->worldToPixels(Vec2(1, 0)).x - renderer->worldToPixels(Vec2(0, 0)).x;
    const float scaleX = std::hypot(transform.m[0], transform.m[1]);
    const float scaleY = std::hypot(transform.m[4], transform.m[5]);
    const float density = std::fabs(perUnit) * std::max(scaleX, scaleY);
    // Quarter steps: a label being scaled by an action is redrawn a few
    // times, not on every frame.
    return std::clamp(std::ceil(density * 4) / 4, 0.25f, 16.0f);
}

void Label::draw(Renderer* renderer, const Mat4& transform, std::uint32_t) {
    const Size& size = getContentSize();
    if (!renderer || lines_->lines.empty() || size.width <= 0 || size.height <= 0 ||
        getDisplayedOpacity() == 0) {
        return;
    }
    const float density = densityFor(renderer, transform);
    if (!texture_ || density != textureDensity_) {
        dropTexture();
        SDL_Surface* surface = layout_->render(lines_->lines, size, hAlignment_, vAlignment_, density);
        if (!surface) {
            return;
        }
        texture_ = new Texture2D();
        texture_->initWithSurface(surface);
        SDL_FreeSurface(surface); // the texture holds its own reference
        textureDensity_ = density;
        ++renderCount_;
    }
    const Color3B& c = getDisplayedColor();
    const Color4B color(static_cast<std::uint8_t>(c.r * textColor_.r / 255),
                        static_cast<std::uint8_t>(c.g * textColor_.g / 255),
                        static_cast<std::uint8_t>(c.b * textColor_.b / 255),
                        static_cast<std::uint8_t>(getDisplayedOpacity() * textColor_.a / 255));
    const Rect uv(0, 0, size.width * density / static_cast<float>(texture_->getPixelsWide()),
                  size.height * density / static_cast<float>(texture_->getPixelsHigh()));
    renderer->drawQuad(transform, Rect(0, 0, size.width, size.height), texture_, uv, color);
}

} // namespace engine
