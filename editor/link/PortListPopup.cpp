#include "editor/link/PortListPopup.h"

#include "engine/2d/Label.h"
#include "engine/2d/Layer.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/actions/FadeIn.h"
#include "engine/2d/actions/FadeOut.h"
#include "engine/2d/actions/RemoveSelf.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"

using engine::Color4B;
using engine::Rect;
using engine::Size;
using engine::Vec2;

namespace {

constexpr std::uint8_t kPressedRowOpacity = 128;
const Color4B kDimming(127, 127, 127, 127);
const Color4B kSeparator(217, 224, 225, 127);
const Color4B kRowBackground(255, 255, 255, 196);
constexpr float kSeparatorHeight = 2;
constexpr float kFrame = 5;

// The node's box on the screen.
Rect worldBox(const engine::Node* node) {
    const Rect box = node->getBoundingBox();
    const engine::Node* parent = node->getParent();
    if (!parent) {
        return box;
    }
    const Vec2 bottomLeft = parent->convertToWorldSpace(Vec2(box.getMinX(), box.getMinY()));
    const Vec2 topRight = parent->convertToWorldSpace(Vec2(box.getMaxX(), box.getMaxY()));
    return Rect(bottomLeft.x, bottomLeft.y, topRight.x - bottomLeft.x, topRight.y - bottomLeft.y);
}

void addStrip(engine::Node* parent, const Color4B& colour, float x, float y, float width, float height) {
    if (auto* strip = engine::LayerColor::create(colour, width, height)) {
        strip->setPosition(x, y);
        parent->addChild(strip);
    }
}

} // namespace

PortListPopup::PortListPopup(engine::Node* scene, const engine::Node* portField,
                             const engine::Node* statusLabel,
                             const std::vector<pavlune::SerialPortInfo>& ports) {
    layer_ = engine::Layer::create();
    if (!layer_ || !scene || !portField || !statusLabel) {
        return;
    }
    layer_->setCascadeOpacityEnabled(true);
    addStrip(layer_, kDimming, 0, 0, design::kWidth, design::kHeight);

    const Rect field = worldBox(portField);
    const float width = field.size.width;
    const float height = field.size.height;
    const float left = field.getMidX() - width * 0.5f;
    const float top = field.getMaxY() + 5;
    const float textX = statusLabel->getParent()
                            ? statusLabel->getParent()->convertToWorldSpace(statusLabel->getPosition()).x
                            : statusLabel->getPositionX();
    float y = top;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (i > 0) {
            addStrip(layer_, kSeparator, left, y, width, kSeparatorHeight);
            y += kSeparatorHeight;
        }
        addRow(static_cast<int>(i), ports[i], left, y, width, height, textX);
        y += height;
    }
    addStrip(layer_, design::kThemeBlue, left - kFrame, top - kFrame, width + 2 * kFrame, kFrame);
    addStrip(layer_, design::kThemeBlue, left - kFrame, y, width + 2 * kFrame, kFrame);
    addStrip(layer_, design::kThemeBlue, left - kFrame, top - kFrame, kFrame, y - top + 2 * kFrame);
    addStrip(layer_, design::kThemeBlue, left + width, top - kFrame, kFrame, y - top + 2 * kFrame);

    scene->addChild(layer_);
    layer_->setOpacity(0);
    layer_->runAction(engine::FadeIn::create(0.1f));

    // The list spans the screen: a touch beside the rows closes it.
    auto* outside = engine::EventListenerTouchOneByOne::create();
    outside->setSwallowTouches(true);
    engine::Layer* layer = layer_;
    outside->onTouchBegan = [layer](engine::Touch* touch, engine::Event*) {
        return HitTest::contains(layer, touch);
    };
    outside->onTouchEnded = [this, layer](engine::Touch* touch, engine::Event*) {
        if (HitTest::contains(layer, touch) && onDismiss) {
            onDismiss();
        }
    };
    layer_->getEventDispatcher()->addEventListenerWithSceneGraphPriority(outside, layer_);
}

PortListPopup::~PortListPopup() {
    removeListeners();
    if (layer_) {
        layer_->getEventDispatcher()->removeEventListenersForTarget(layer_);
    }
}

void PortListPopup::addRow(int index, const pavlune::SerialPortInfo& port, float left, float bottom,
                           float width, float height, float textX) {
    addStrip(layer_, kRowBackground, left, bottom, width, height);
    engine::Label* label =
        engine::Label::createWithSystemFont(port.displayText(), "Helvetica", 12, Size(width - 20, height),
                                            engine::TextHAlignment::LEFT, engine::TextVAlignment::CENTER);
    if (!label) {
        return;
    }
    label->setTextColor(Color4B(design::kTextGrey, 255));
    label->setAnchorPoint(Vec2(0, 0.5f));
    label->setTag(index);
    label->setPosition(textX, bottom + height * 0.5f);
    layer_->addChild(label);

    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [label](engine::Touch* touch, engine::Event*) {
        if (!HitTest::contains(label, touch)) {
            return false;
        }
        label->setOpacity(kPressedRowOpacity);
        return true;
    };
    listener->onTouchEnded = [this, label, name = port.name](engine::Touch* touch, engine::Event*) {
        label->setOpacity(255);
        if (HitTest::contains(label, touch) && onChoose) {
            onChoose(name);
        }
    };
    listener->onTouchCancelled = [label](engine::Touch*, engine::Event*) { label->setOpacity(255); };
    label->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, label);
    listener->retain();
    rowListeners_.push_back(listener);
    rows_.emplace_back(Rect(left, bottom, width, height), port.name);
}

void PortListPopup::moveFocus(int step) {
    if (rows_.empty() || !layer_) {
        return;
    }
    const int count = static_cast<int>(rows_.size());
    // Up (-1) goes away from the box, up the list.
    focused_ = focused_ < 0 ? 0 : ((focused_ - step) % count + count) % count;
    frame_.show(layer_, rows_[static_cast<std::size_t>(focused_)].first, 1.0f);
}

bool PortListPopup::chooseFocused() {
    if (focused_ < 0 || !layer_ || !onChoose) {
        return false;
    }
    onChoose(rows_[static_cast<std::size_t>(focused_)].second);
    return true;
}

void PortListPopup::fadeAway() {
    removeListeners();
    if (layer_) {
        layer_->getEventDispatcher()->removeEventListenersForTarget(layer_);
        layer_->runAction(
            engine::Sequence::create(engine::FadeOut::create(0.1f), engine::RemoveSelf::create()));
        layer_ = nullptr;
    }
}

void PortListPopup::removeListeners() {
    for (engine::EventListener* listener : rowListeners_) {
        if (layer_) {
            layer_->getEventDispatcher()->removeEventListener(listener);
        }
        listener->release();
    }
    rowListeners_.clear();
}
