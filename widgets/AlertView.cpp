#include "widgets/AlertView.h"

#include "engine/2d/Label.h"
#include "engine/2d/Layer.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/FadeOut.h"
#include "engine/2d/actions/RemoveSelf.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"
#include "widgets/PressedButton.h"

#include <new>

using engine::Event;
using engine::Touch;
using engine::Vec2;

namespace {

// Laid out on the 1024 x 768 design area.
constexpr Vec2 kCentre(512, 384);
constexpr Vec2 kOkOffset(-150, -100);
constexpr Vec2 kCancelOffset(150, -100);
constexpr Vec2 kMessageOffset(0, 50);
constexpr engine::Size kMessageSize(500, 200);

} // namespace

AlertView* AlertView::create(const std::string& message) {
    auto* view = new (std::nothrow) AlertView();
    if (view && view->init(message)) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

AlertView::~AlertView() = default;

bool AlertView::init(const std::string& message) {
    if (!Node::init()) {
        return false;
    }
    auto* touchLayer = engine::Layer::create();
    auto* window = engine::Sprite::create("res/alert_window_pink.png");
    auto* ok = engine::Sprite::create("res/alert_window_ok.png");
    auto* cancel = engine::Sprite::create("res/alert_window_cancel.png");
    auto* label =
        engine::Label::createWithSystemFont(message, "Helvetica", kMessageFontSize, kMessageSize,
                                            engine::TextHAlignment::LEFT, engine::TextVAlignment::CENTER);
    if (!touchLayer || !window || !ok || !cancel || !label) {
        return false;
    }

    touchLayer->setContentSize(design::kSize);
    touchLayer->setPosition(Vec2::ZERO);
    touchLayer->setVisible(false);
    addChild(touchLayer);

    window->setPosition(kCentre);
    addChild(window);
    ok->setPosition(kCentre + kOkOffset);
    addChild(ok);
    ok_ = ok;
    cancel->setPosition(kCentre + kCancelOffset);
    addChild(cancel);
    cancel_ = cancel;

    label->setTextColor(engine::Color4B(0, 0, 0, 255));
    label->setPosition(kCentre + kMessageOffset);
    addChild(label);

    setCascadeOpacityEnabled(true);

    listenAsBackground(touchLayer);
    listenAsWindow(window);
    listenAsButton(ok, &AlertView::onOk);
    listenAsButton(cancel, &AlertView::onCancel);
    return true;
}

void AlertView::informOnly() {
    if (!cancel_) {
        return;
    }
    getEventDispatcher()->removeEventListenersForTarget(cancel_);
    cancel_->removeFromParent();
    cancel_ = nullptr;
    onCancel = nullptr;
    // Left where it was, a lone OK would sit off the window's middle.
    ok_->setPositionX(kCentre.x);
}

void AlertView::close() {
    if (closing_) {
        return;
    }
    closing_ = true;
    onOk = nullptr;
    onOutside = nullptr;
    onCancel = nullptr;
    runAction(
        engine::Sequence::create(engine::FadeOut::create(kFadeDuration), engine::RemoveSelf::create(true)));
}

bool AlertView::dismiss() {
    if (closing_ || !onOutside) {
        return false;
    }
    invoke(onOutside);
    return true;
}

bool AlertView::confirm() {
    if (closing_ || !onOk) {
        return false;
    }
    invoke(onOk);
    return true;
}

AlertView* AlertView::shownIn(const engine::Node* parent) {
    AlertView* top = nullptr;
    if (!parent) {
        return nullptr;
    }
    // Drawn last on equal z: the later child.
    for (engine::Node* child : parent->getChildren()) {
        auto* box = dynamic_cast<AlertView*>(child);
        if (box && !box->closing_ && (!top || box->getLocalZOrder() >= top->getLocalZOrder())) {
            top = box;
        }
    }
    return top;
}

void AlertView::invoke(const Callback& callback) {
    if (callback) {
        const Callback running = callback;
        running(this);
    }
}

void AlertView::listenAsBackground(engine::Node* layer) {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [layer](Touch* touch, Event*) { return HitTest::contains(layer, touch); };
    listener->onTouchEnded = [this, layer](Touch* touch, Event*) {
        if (HitTest::contains(layer, touch)) {
            invoke(onOutside);
        }
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, layer);
}

void AlertView::listenAsWindow(engine::Node* window) {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [window](Touch* touch, Event*) { return HitTest::contains(window, touch); };
    // Claimed and swallowed, and nothing more: a tap on the window between the
    // buttons reaches no one.
    listener->onTouchEnded = [](Touch*, Event*) {};
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, window);
}

void AlertView::listenAsButton(engine::Node* button, Callback AlertView::*callback) {
    PressedButton::attach(button, [this, callback] { invoke(this->*callback); });
}
