#include "editor/link/ChooseBoardButton.h"

#include "device/web/SerialPage.h"
#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/Layer.h"
#include "engine/2d/LayerColor.h"
#include "engine/base/Color.h"
#include "widgets/HitTest.h"
#include "widgets/PressedButton.h"

#include <cstdint>
#include <functional>
#include <utility>

using engine::Size;
using engine::Vec2;

namespace {

// Right of the reload icon (its centre at 815, 40 wide), on the blue band.
constexpr float kLeft = 847;
constexpr float kCentreY = 61;
const Size kButtonSize(150, 40);
// A dark navy, so that the caption reads on the white button even where
// its thin strokes are drawn half-covered (14:1 at full cover; the theme's
// light blue is 1.8:1).
const engine::Color4B kCaptionColour(0, 40, 90, 255);

// The button's background, which reports each time it is drawn.
class DrawnLayer : public engine::LayerColor {
public:
    static DrawnLayer* create(const engine::Color4B& color, const Size& size) {
        auto* layer = new DrawnLayer();
        if (layer->initWithColor(color, size.width, size.height)) {
            layer->autorelease();
            return layer;
        }
        delete layer;
        return nullptr;
    }

    void draw(engine::Renderer* renderer, const engine::Mat4& transform, std::uint32_t flags) override {
        engine::LayerColor::draw(renderer, transform, flags);
        if (onDraw) {
            onDraw();
        }
    }

    std::function<void()> onDraw;
};

} // namespace

ChooseBoardButton::ChooseBoardButton(engine::Layer* bar, std::shared_ptr<pavlune::SerialPage> page,
                                     std::function<bool()> usable)
    : page_(std::move(page)), usable_(std::move(usable)) {
    DrawnLayer* layer = DrawnLayer::create(engine::Color4B::WHITE, kButtonSize);
    if (!bar || !layer) {
        return;
    }
    button_ = layer;
    button_->setPosition(kLeft, kCentreY - kButtonSize.height / 2);
    bar->addChild(button_);
    if (auto* label = engine::Label::createWithSystemFont(kCaption, "Helvetica", 16)) {
        label->setTextColor(kCaptionColour);
        label->setPosition(kButtonSize.width / 2, kButtonSize.height / 2);
        button_->addChild(label);
    }
    // The press shows here; the page opens the chooser on the release. A
    // browser without Web Serial has nothing to choose from: the press
    // explains that instead.
    PressedButton::attach(button_, [this] {
        if (page_ && !page_->available() && onUnavailable) {
            onUnavailable();
        }
    });
    layer->onDraw = [this] { publishArea(); };
}

ChooseBoardButton::~ChooseBoardButton() {
    if (button_) {
        // The bar may outlive the link by a frame: it must not call back.
        static_cast<DrawnLayer*>(button_)->onDraw = nullptr;
    }
    if (page_) {
        page_->setChooseArea(0, 0, 0, 0);
    }
}

void ChooseBoardButton::publishArea() {
    if (!page_) {
        return;
    }
    const engine::Rect box = button_ ? HitTest::worldBoundingBox(button_) : engine::Rect();
    const Size screen = engine::Director::getInstance()->getVisibleSize();
    const bool onScreen = box.size.width > 0 && box.getMinY() >= 0 && box.getMaxY() <= screen.height;
    if (!onScreen || !button_->isVisible() || !page_->available() || (usable_ && !usable_())) {
        page_->setChooseArea(0, 0, 0, 0);
        return;
    }
    // The canvas shows the design size whole; its y grows downwards.
    page_->setChooseArea(box.getMinX() / screen.width, 1 - box.getMaxY() / screen.height,
                         box.getMaxX() / screen.width, 1 - box.getMinY() / screen.height);
}
