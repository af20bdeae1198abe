#include "saves/SaveItemView.h"

#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "engine/base/RefPtr.h"
#include "engine/ui/EditBoxText.h"
#include "saves/SaveItemViewListener.h"
#include "store/SaveData.h"
#include "widgets/HitTest.h"

#include <algorithm>

using engine::Event;
using engine::Node;
using engine::Touch;
using engine::Vec2;

namespace {
int liveEntries = 0;
}

SaveItemView::SaveItemView() {
    ++liveEntries;
}

SaveItemView::~SaveItemView() {
    --liveEntries;
}

int SaveItemView::getLiveCount() {
    return liveEntries;
}

bool SaveItemView::initWithSaveData(SaveData* record) {
    if (!Node::init()) {
        return false;
    }
    data = record;
    index = 0;
    listener = nullptr;
    selected = false;
    setContentSize(engine::Size(kWidth, kHeight));

    selectedMark = engine::Sprite::create(kSelectedMarkPicture);
    if (!selectedMark) {
        // Without the picture the mark is an empty node that still hides and shows.
        selectedMark = engine::Sprite::create();
    }
    selectedMark->setPosition(kWidth / 2, kHeight / 2);
    selectedMark->setCascadeOpacityEnabled(true);
    selectedMark->setVisible(false);
    // Above the picture, which it marks.
    addChild(selectedMark, 1);

    pictureNode = Node::create();
    pictureNode->setPosition(0, 234);
    pictureNode->setContentSize(engine::Size(kPictureSide, kPictureSide));
    pictureNode->setCascadeOpacityEnabled(true);
    addChild(pictureNode);

    titleLabel = engine::Label::createWithSystemFont(
        record ? record->title : std::string(), "", kTitleFontSize, engine::Size(kWidth, 0),
        engine::TextHAlignment::CENTER, engine::TextVAlignment::TOP);
    if (!titleLabel) {
        return false;
    }
    titleLabel->setAnchorPoint(Vec2(0.5f, 1));
    titleArea = Node::create();
    titleArea->setAnchorPoint(Vec2(0.5f, 1));
    titleArea->setPosition(kWidth / 2, kTitleTop);
    titleArea->setCascadeOpacityEnabled(true);
    titleArea->addChild(titleLabel);
    addChild(titleArea);
    titleLabel->setString("あ");
    oneLineHeight_ = titleLabel->getContentSize().height;
    showTitle(record ? record->title : std::string());

    listen(picture_, pictureNode, true);
    listen(title_, titleArea, false);
    return true;
}

void SaveItemView::setSaveData(SaveData* record) {
    data = record;
    showTitle(record ? record->title : std::string());
}

void SaveItemView::showTitle(const std::string& title) {
    // Two lines hold far fewer characters than this; a longer title (a file
    // may hold megabytes) is cut before it is laid out at all.
    std::string text = title;
    bool cut = false;
    if (title.size() > kTitleLayoutCharacters &&
        engine::ui::EditBoxText::countCharacters(title) > kTitleLayoutCharacters) {
        text = title.substr(0, engine::ui::EditBoxText::bytesOfCharacters(title, kTitleLayoutCharacters));
        cut = true;
    }
    titleLabel->setString(text);
    if (cut || titleLabel->getStringNumLines() > kTitleMaxLines) {
        // The longest start of the title that fits the lines with the ellipsis.
        const std::size_t characters = engine::ui::EditBoxText::countCharacters(text);
        std::size_t fits = 0;
        std::size_t tooLong = characters + 1;
        while (tooLong - fits > 1) {
            const std::size_t middle = (fits + tooLong) / 2;
            titleLabel->setString(text.substr(0, engine::ui::EditBoxText::bytesOfCharacters(text, middle)) +
                                  kEllipsis);
            (titleLabel->getStringNumLines() > kTitleMaxLines ? tooLong : fits) = middle;
        }
        titleLabel->setString(text.substr(0, engine::ui::EditBoxText::bytesOfCharacters(text, fits)) +
                              kEllipsis);
    }
    // Even an empty title keeps a one-line place to tap.
    const float height = std::max(oneLineHeight_, titleLabel->getContentSize().height);
    titleArea->setContentSize(engine::Size(kWidth, height));
    titleLabel->setPosition(kWidth / 2, height);
}

void SaveItemView::titleTapped() {}

void SaveItemView::setSelected(bool on) {
    selected = on;
    selectedMark->setVisible(on);
}

void SaveItemView::onExit() {
    for (Gesture* gesture : {&picture_, &title_}) {
        if (gesture->touching) {
            reset(*gesture);
        }
    }
    Node::onExit();
}

void SaveItemView::showPicture(const std::string& path) {
    placePicture(engine::Sprite::create(path));
}

void SaveItemView::showPicture(engine::Texture2D* texture) {
    placePicture(engine::Sprite::createWithTexture(texture));
}

void SaveItemView::placePicture(engine::Sprite* sprite) {
    pictureNode->removeAllChildren();
    if (!sprite) {
        return;
    }
    // A thumbnail written at the content scale (570 pixels) is 285 units
    // already; one written at another density is fitted to the same square.
    const engine::Size size = sprite->getContentSize();
    const float side = std::max(size.width, size.height);
    if (side > 0) {
        sprite->setScale(kThumbnailSide / side);
    }
    sprite->setPosition(kPictureSide / 2, kPictureSide / 2);
    pictureNode->addChild(sprite);
}

// --- gestures ---

void SaveItemView::listen(Gesture& gesture, Node* target, bool longPress) {
    gesture.target = target;
    gesture.longPress = longPress;
    auto* touchListener = engine::EventListenerTouchOneByOne::create();
    touchListener->setSwallowTouches(false);
    touchListener->onTouchBegan = [this, &gesture](Touch* touch, Event*) { return began(gesture, touch); };
    touchListener->onTouchMoved = [this, &gesture](Touch* touch, Event*) { moved(gesture, touch); };
    touchListener->onTouchEnded = [this, &gesture](Touch* touch, Event*) { ended(gesture, touch, false); };
    touchListener->onTouchCancelled = [this, &gesture](Touch* touch, Event*) { ended(gesture, touch, true); };
    gesture.listener = touchListener;
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(touchListener, target);
}

bool SaveItemView::began(Gesture& gesture, Touch* touch) {
    if (gesture.touching) {
        return false; // a second finger on the same element
    }
    if (!HitTest::containsInContent(gesture.target, touch->getLocation())) {
        return false;
    }
    gesture.touching = true;
    gesture.moved = false;
    gesture.pending = false;
    gesture.done = false;
    gesture.touchId = touch->getID();
    gesture.start = touch->getLocation();
    gesture.target->setOpacity(kTouchedOpacity);
    gesture.target->stopAllActions();
    const int id = gesture.touchId;
    gesture.target->runAction(
        engine::Sequence::create(engine::DelayTime::create(kHoldDelay),
                                 engine::CallFunc::create([this, &gesture, id] { held(gesture, id); })));
    return true;
}

void SaveItemView::held(Gesture& gesture, int touchId) {
    if (!gesture.touching || gesture.touchId != touchId || gesture.moved) {
        return;
    }
    gesture.listener->setSwallowTouches(true);
    gesture.pending = true;
    if (!gesture.longPress) {
        return;
    }
    gesture.target->runAction(engine::Sequence::create(
        engine::DelayTime::create(kLongPressDelay),
        engine::CallFunc::create([this, &gesture, touchId] { longPressed(gesture, touchId); })));
}

void SaveItemView::longPressed(Gesture& gesture, int touchId) {
    if (!gesture.touching || gesture.touchId != touchId || !gesture.pending) {
        return;
    }
    gesture.done = true;
    gesture.target->setOpacity(255);
    if (listener) {
        listener->onItemLongPressed(this);
    }
}

void SaveItemView::moved(Gesture& gesture, Touch* touch) {
    if (!gesture.touching || touch->getID() != gesture.touchId || gesture.pending || gesture.moved) {
        return;
    }
    if (touch->getLocation().distance(gesture.start) >= kMoveThreshold) {
        gesture.moved = true;
        gesture.target->stopAllActions();
        gesture.target->setOpacity(255);
    }
}

void SaveItemView::ended(Gesture& gesture, Touch* touch, bool cancelled) {
    if (!gesture.touching || touch->getID() != gesture.touchId) {
        return;
    }
    const bool tap = !cancelled && (gesture.pending || !gesture.moved) &&
                     HitTest::containsInContent(gesture.target, touch->getLocation()) && !gesture.done;
    // Keep this entry alive while the listener reacts (it may rebuild the list).
    const engine::RefPtr<SaveItemView> alive(this);
    reset(gesture);
    if (tap) {
        report(gesture);
    }
}

void SaveItemView::reset(Gesture& gesture) {
    gesture.touching = false;
    gesture.moved = false;
    gesture.pending = false;
    gesture.touchId = -1;
    gesture.listener->setSwallowTouches(false);
    gesture.target->setOpacity(255);
    gesture.target->stopAllActions();
}

void SaveItemView::report(const Gesture& gesture) {
    if (gesture.longPress) {
        if (listener) {
            listener->onItemTapped(this);
        }
    } else {
        titleTapped();
    }
}
