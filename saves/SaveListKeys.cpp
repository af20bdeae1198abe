#include "saves/SaveListKeys.h"

#include "engine/2d/LayerColor.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventKeyboard.h"
#include "engine/2d/events/EventListenerKeyboard.h"
#include "saves/SaveItemView.h"
#include "saves/SaveScene.h"
#include "store/SaveDataManager.h"
#include "widgets/AlertView.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>
#include <cmath>

using engine::Vec2;
using KeyCode = engine::EventKeyboard::KeyCode;

namespace {

// The picture's bottom edge in an entry.
constexpr float kPictureBottom = 234;

int savedCount() {
    return static_cast<int>(SaveDataManager::getInstance()->getDatas().size());
}

} // namespace

SaveListKeys::SaveListKeys(SaveScene* scene) : scene_(scene) {
    frame_ = engine::Node::create();
    const float side = SaveItemView::kPictureSide + 2 * kFrameMargin;
    const float inner = side - kFrameWidth;
    const struct {
        float x, y, width, height;
    } bands[] = {{0, 0, side, kFrameWidth},
                 {0, inner, side, kFrameWidth},
                 {0, 0, kFrameWidth, side},
                 {inner, 0, kFrameWidth, side}};
    for (const auto& band : bands) {
        if (auto* colour = engine::LayerColor::create(design::kFocusBlue, band.width, band.height)) {
            colour->setPosition(band.x, band.y);
            frame_->addChild(colour);
        }
    }
    frame_->setVisible(false);
    scene_->addChild(frame_, 1);

    listener_ = engine::EventListenerKeyboard::create();
    listener_->retain();
    listener_->onKeyPressed = [this](engine::EventKeyboard* key) { keyPressed(*key); };
    scene_->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener_, scene_);
}

SaveListKeys::~SaveListKeys() {
    scene_->getEventDispatcher()->removeEventListener(listener_);
    listener_->release();
}

bool SaveListKeys::isShown() const {
    return frame_->isVisible();
}

bool SaveListKeys::isCovered() const {
    if (scene_->getEditLayer()) {
        return true;
    }
    const auto& children = scene_->getChildren();
    return std::any_of(children.begin(), children.end(), [](const engine::Node* child) {
        return dynamic_cast<const AlertView*>(child) != nullptr;
    });
}

bool SaveListKeys::keyPressed(const engine::EventKeyboard& key) {
    // The question over the list (or the title editor) has the screen:
    // Return answers it as OK, Escape as a tap beside it.
    if (isCovered()) {
        AlertView* question = AlertView::shownIn(scene_);
        if (!question || key.isRepeat()) {
            return false;
        }
        const KeyCode code = key.getKeyCode();
        if (code == KeyCode::KEY_ENTER || code == KeyCode::KEY_KP_ENTER) {
            return question->confirm();
        }
        return code == KeyCode::KEY_ESCAPE && question->dismiss();
    }
    switch (key.getKeyCode()) {
    case KeyCode::KEY_LEFT_ARROW:
    case KeyCode::KEY_UP_ARROW:
        moveFocus(-1);
        return true;
    case KeyCode::KEY_RIGHT_ARROW:
    case KeyCode::KEY_DOWN_ARROW:
        moveFocus(+1);
        return true;
    case KeyCode::KEY_ENTER:
    case KeyCode::KEY_KP_ENTER:
        if (key.isRepeat()) {
            return true;
        }
        open();
        return true;
    default:
        return false;
    }
}

void SaveListKeys::moveFocus(int step) {
    if (!isShown()) {
        // The first press shows the focus where the user is looking.
        const float offset = scene_->getScrollView()->getContentOffset().x;
        focused_ = static_cast<int>(std::lround(-offset / SaveScene::kEntryPitch));
        frame_->setVisible(true);
    } else {
        focused_ += step;
    }
    focused_ = std::clamp(focused_, 0, savedCount());
    scrollIntoView();
    refresh();
}

void SaveListKeys::scrollIntoView() {
    FieldScrollView* strip = scene_->getScrollView();
    const float offset = strip->getContentOffset().x;
    const float left = SaveScene::entryLeft(focused_) + offset;
    if (left >= 0 && left + SaveScene::kEntryWidth <= strip->viewSize.width) {
        return;
    }
    // Centred, as far as the strip goes.
    const float lowest = std::min(0.0f, strip->viewSize.width - SaveScene::contentWidth(savedCount()));
    const float centred = SaveScene::kFirstEntryLeft - SaveScene::entryLeft(focused_);
    strip->setContentOffset(Vec2(std::clamp(centred, lowest, 0.0f), 0));
}

void SaveListKeys::refresh() {
    // The list may have lost entries since (a deletion).
    focused_ = std::clamp(focused_, 0, savedCount());
    const float x = SaveScene::entryLeft(focused_) + scene_->getScrollView()->getContentOffset().x;
    frame_->setPosition(x - kFrameMargin, kPictureBottom - kFrameMargin);
}

void SaveListKeys::open() {
    if (!isShown()) {
        return;
    }
    for (SaveItemView* item : scene_->getVisibleItems()) {
        if (item->index == focused_) {
            scene_->onItemTapped(item);
            return;
        }
    }
}
