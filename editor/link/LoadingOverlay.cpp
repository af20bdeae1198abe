#include "editor/link/LoadingOverlay.h"

#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/RepeatForever.h"
#include "engine/2d/actions/RotateBy.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "widgets/Design.h"

LoadingOverlay::LoadingOverlay(engine::Node* scene) {
    layer_ = engine::LayerColor::create(engine::Color4B(64, 64, 64, 64), design::kWidth, design::kHeight);
    if (!layer_ || !scene) {
        layer_ = nullptr;
        return;
    }
    if (engine::Sprite* spinner = engine::Sprite::create("res/r_loading.png")) {
        spinner->setPosition(design::kWidth / 2, design::kHeight / 2);
        spinner->runAction(engine::RepeatForever::create(engine::RotateBy::create(0.2f, 45)));
        layer_->addChild(spinner);
    }
    auto* everyTouch = engine::EventListenerTouchOneByOne::create();
    everyTouch->setSwallowTouches(true);
    everyTouch->onTouchBegan = [](engine::Touch*, engine::Event*) { return true; };
    layer_->getEventDispatcher()->addEventListenerWithSceneGraphPriority(everyTouch, layer_);
    scene->addChild(layer_, kZOrder);
}

LoadingOverlay::~LoadingOverlay() {
    if (layer_) {
        layer_->getEventDispatcher()->removeEventListenersForTarget(layer_);
        layer_->removeFromParent();
    }
}
