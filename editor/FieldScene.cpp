#include "editor/FieldScene.h"

#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"
#include "widgets/PressedButton.h"
#include "widgets/ScreenNavigator.h"

#include <new>

using engine::Size;
using engine::Vec2;

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
}

bool FieldScene::init(SaveData* data) {
    if (!Layer::init()) {
        return false;
    }
    record = data ? data : SaveData::create();
    if (!record) {
        return false;
    }
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
        tab->setPosition(design::kWidth - size.width / 2, design::kHeight - size.height / 2);
        addChild(tab);
    }
    backButton = engine::Sprite::create("res/r_record.png");
    if (!backButton) {
        return;
    }
    const Size size = backButton->getContentSize();
    backButton->setPosition(design::kWidth - size.width / 2 - 10, design::kHeight - size.height / 2 - 10);
    addChild(backButton);
    PressedButton::attach(backButton, [this] { goBack(); });
}

void FieldScene::goBack() {
    if (leaving) {
        return;
    }
    ScreenNavigator* navigator = ScreenNavigator::get();
    leaving = navigator && navigator->openList();
}
