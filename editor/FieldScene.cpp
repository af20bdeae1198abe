#include "editor/FieldScene.h"

#include "app/FieldScrollView.h"
#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/TransitionSlideInT.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "saves/SaveData.h"
#include "saves/SaveScene.h"

#include <new>

using engine::Event;
using engine::Size;
using engine::Touch;
using engine::Vec2;

namespace {

constexpr float kDesignWidth = 1024;
constexpr float kDesignHeight = 768;

bool touchInside(const engine::Node* node, const Touch* touch) {
    const engine::Node* parent = node->getParent();
    const Vec2 point = parent ? parent->convertToNodeSpace(touch->getLocation()) : touch->getLocation();
    return node->getBoundingBox().containsPoint(point);
}

} // namespace

FieldScene* FieldScene::create(SaveData* record) {
    auto* scene = new (std::nothrow) FieldScene();
    if (scene && scene->init(record)) {
        scene->autorelease();
        return scene;
    }
    delete scene;
    return nullptr;
}

FieldScene::~FieldScene() {
    if (fieldView) {
        fieldView->delegate = nullptr;
    }
    if (record) {
        record->release();
    }
}

bool FieldScene::init(SaveData* data) {
    if (!Layer::init()) {
        return false;
    }
    record = data ? data : SaveData::create();
    if (!record) {
        return false;
    }
    record->retain();
    buildField();
    buildBackButton();
    return true;
}

void FieldScene::buildField() {
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    fieldView = FieldScrollView::create(visible);
    if (!fieldView) {
        return;
    }
    fieldView->delegate = this;
    fieldView->setContentSize(Size(visible.width * 1.5f, visible.height * 7.33f));
    fieldView->setContentOffset(Vec2(0, -visible.height * 6.33f));
    fieldView->setZoomScale(1.0f);
    fieldView->minScale = 0.5f;
    fieldView->maxScale = 1.0f;
    fieldView->bounceable = false;
    if (auto* paper = engine::LayerColor::create(engine::Color4B::WHITE, visible.width * 2, visible.height * 7.33f)) {
        paper->setPosition(-visible.width / 2, 0);
        fieldView->addChild(paper);
    }
    addChild(fieldView);
}

void FieldScene::buildBackButton() {
    if (auto* tab = engine::Sprite::create("res/r_record_back.png")) {
        const Size size = tab->getContentSize();
        tab->setPosition(kDesignWidth - size.width / 2, kDesignHeight - size.height / 2);
        addChild(tab);
    }
    backButton = engine::Sprite::create("res/r_record.png");
    if (!backButton) {
        return;
    }
    const Size size = backButton->getContentSize();
    backButton->setPosition(kDesignWidth - size.width / 2 - 10, kDesignHeight - size.height / 2 - 10);
    addChild(backButton);

    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](Touch* touch, Event*) {
        if (!touchInside(backButton, touch)) {
            return false;
        }
        backButton->setOpacity(kPressedOpacity);
        return true;
    };
    listener->onTouchEnded = [this](Touch* touch, Event*) {
        backButton->setOpacity(255);
        if (touchInside(backButton, touch)) {
            goBack();
        }
    };
    listener->onTouchCancelled = [this](Touch*, Event*) { backButton->setOpacity(255); };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, backButton);
}

void FieldScene::goBack() {
    if (leaving) {
        return;
    }
    auto* scene = engine::Scene::create();
    auto* list = SaveScene::create();
    if (!scene || !list) {
        return;
    }
    scene->addChild(list);
    if (auto* transition = engine::TransitionSlideInT::create(kTransitionDuration, scene)) {
        leaving = true;
        engine::Director::getInstance()->replaceScene(transition);
    }
}
