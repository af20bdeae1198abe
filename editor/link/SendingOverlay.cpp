#include "editor/link/SendingOverlay.h"

#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/RepeatForever.h"
#include "engine/2d/actions/RotateBy.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"

using engine::Size;
using engine::Vec2;

namespace {

void claimEveryTouch(engine::Node* node) {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [](engine::Touch*, engine::Event*) { return true; };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
}

} // namespace

SendingOverlay::SendingOverlay(engine::Node* scene, bool boardFont) : scene_(scene) {
    layer_ = engine::LayerColor::create(design::kDimming, design::kWidth, design::kHeight);
    if (!layer_ || !scene) {
        layer_ = nullptr;
        return;
    }
    claimEveryTouch(layer_);
    addStopButton();

    text_ = boardFont ? engine::Label::createWithTTF("", "fonts/PavluneBoard-1.2.ttf", 20)
                      : engine::Label::createWithSystemFont("", "HiraKakuProN-W6", 20);
    if (text_) {
        text_->setAlignment(engine::TextHAlignment::LEFT, engine::TextVAlignment::TOP);
        text_->setAnchorPoint(Vec2(0, 0));
        text_->setPosition(50, 50);
        layer_->addChild(text_);
    }

    spinner_ = engine::Sprite::create("res/r_loading.png");
    if (spinner_) {
        spinner_->setPosition(design::kWidth / 2, design::kHeight / 2);
        spinner_->runAction(engine::RepeatForever::create(engine::RotateBy::create(0.2f, 45)));
        layer_->addChild(spinner_);
    }
    scene->addChild(layer_);
}

SendingOverlay::~SendingOverlay() {
    if (!layer_) {
        return;
    }
    engine::EventDispatcher* dispatcher = layer_->getEventDispatcher();
    if (stopButton_) {
        dispatcher->removeEventListenersForTarget(stopButton_);
    }
    dispatcher->removeEventListenersForTarget(layer_);
    layer_->removeFromParent();
}

void SendingOverlay::addStopButton() {
    stopButton_ = engine::Sprite::create("res/r_stop.png");
    if (!stopButton_) {
        return;
    }
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    const Size size = stopButton_->getContentSize();
    stopButton_->setPosition(visible.width - size.width * 0.5f - 10, visible.height * 0.5f - 120);
    layer_->addChild(stopButton_);

    engine::Sprite* button = stopButton_;
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [button](engine::Touch* touch, engine::Event*) {
        if (!button->isVisible() || !HitTest::contains(button, touch)) {
            return false;
        }
        button->setOpacity(design::kPressedOpacity);
        return true;
    };
    listener->onTouchEnded = [this, button](engine::Touch* touch, engine::Event*) {
        button->setOpacity(255);
        if (!HitTest::contains(button, touch)) {
            return;
        }
        // On the next frame, not inside the button's own handler: the panel
        // removes the button.
        if (onStop) {
            scene_->runAction(engine::CallFunc::create(onStop));
        }
    };
    listener->onTouchCancelled = [button](engine::Touch*, engine::Event*) { button->setOpacity(255); };
    button->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, button);
}

void SendingOverlay::appendText(const std::string& text) {
    if (text_) {
        text_->setString(text_->getString() + text);
    }
}

void SendingOverlay::finish() {
    if (!layer_ || finished_) {
        return;
    }
    finished_ = true;
    engine::EventDispatcher* dispatcher = layer_->getEventDispatcher();
    dispatcher->removeEventListenersForTarget(layer_);
    engine::LayerColor* layer = layer_;
    auto* panel = engine::EventListenerTouchOneByOne::create();
    panel->setSwallowTouches(true);
    panel->onTouchBegan = [layer](engine::Touch* touch, engine::Event*) { return HitTest::contains(layer, touch); };
    panel->onTouchEnded = [this, layer](engine::Touch* touch, engine::Event*) {
        if (HitTest::contains(layer, touch) && onClose) {
            // A copy: closing destroys this overlay, onClose with it.
            const std::function<void()> close = onClose;
            close();
        }
    };
    dispatcher->addEventListenerWithSceneGraphPriority(panel, layer_);

    if (stopButton_) {
        dispatcher->removeEventListenersForTarget(stopButton_);
        stopButton_->removeFromParent();
        stopButton_ = nullptr;
    }
    if (spinner_) {
        spinner_->stopAllActions();
        spinner_->removeFromParent();
        spinner_ = nullptr;
    }
}
