#include "engine/2d/LayerColor.h"

#include "engine/2d/Director.h"
#include "engine/2d/Renderer.h"

namespace engine {

LayerColor* LayerColor::create(const Color4B& color) {
    const Size win = Director::getInstance()->getWinSize();
    return create(color, win.width, win.height);
}

LayerColor* LayerColor::create(const Color4B& color, float width, float height) {
    auto* layer = new LayerColor();
    if (layer->initWithColor(color, width, height)) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

bool LayerColor::init() {
    return initWithColor(Color4B(0, 0, 0, 0));
}

bool LayerColor::initWithColor(const Color4B& color) {
    const Size win = Director::getInstance()->getWinSize();
    return initWithColor(color, win.width, win.height);
}

bool LayerColor::initWithColor(const Color4B& color, float width, float height) {
    if (!Layer::init()) {
        return false;
    }
    setColor(Color3B(color.r, color.g, color.b));
    setOpacity(color.a);
    setContentSize(Size(width, height));
    return true;
}

void LayerColor::changeWidth(float width) {
    setContentSize(Size(width, getContentSize().height));
}
void LayerColor::changeHeight(float height) {
    setContentSize(Size(getContentSize().width, height));
}
void LayerColor::changeWidthAndHeight(float width, float height) {
    setContentSize(Size(width, height));
}

void LayerColor::draw(Renderer* renderer, const Mat4& transform, std::uint32_t) {
    const Color3B& c = getDisplayedColor();
    const std::uint8_t alpha = getDisplayedOpacity();
    if (!renderer || alpha == 0) {
        return;
    }
    const Size& size = getContentSize();
    renderer->drawQuad(transform, Rect(0, 0, size.width, size.height), nullptr, Rect(0, 0, 1, 1),
                       Color4B(c.r, c.g, c.b, alpha));
}

} // namespace engine
