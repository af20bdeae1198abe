#include "editor/gestures/CardGestures.h"

#include "editor/cards/CardSprite.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/field/TrashCan.h"
#include "editor/gestures/CardDrop.h"
#include "editor/gestures/CardTap.h"
#include "engine/2d/Node.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "engine/base/Scheduler.h"
#include "widgets/FieldScrollView.h"

using engine::Touch;
using engine::Vec2;

CardGestures::CardGestures(engine::Node* host, FieldScrollView* view, FieldBoard* board, TrashCan* trash)
    : host_(host), view_(view), board_(board), trash_(trash), scroller_(view, board) {
    board_->setPlacingScroller(this);
}

CardGestures::~CardGestures() {
    board_->setPlacingScroller(nullptr);
    stopAutoScroll();
}

void CardGestures::attach(CardSprite* card) {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(false);
    listener->onTouchBegan = [this, card, listener](Touch* touch, engine::Event*) {
        return press(card, listener, touch);
    };
    listener->onTouchMoved = [this, card](Touch* touch, engine::Event*) { move(card, touch); };
    listener->onTouchEnded = [this, card](Touch* touch, engine::Event*) { release(card, touch, false); };
    listener->onTouchCancelled = [this, card](Touch* touch, engine::Event*) { release(card, touch, true); };
    card->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, card);
}

double CardGestures::now() const {
    return host_->getScheduler()->getTotalTime();
}

bool CardGestures::press(CardSprite* card, engine::EventListenerTouchOneByOne* listener, Touch* touch) {
    if (press_.card && board_->nodeFor(press_.card->modelId) != press_.card) {
        // The pressed card left the field while held (a row edit pushed it
        // into the trash), so its touch will never end here: forget it.
        stopAutoScroll();
        board_->model().endDrag();
        endPress();
    }
    const Vec2 location = touch->getLocation();
    const Vec2 point = board_->viewport().toContent(location);
    if (press_.card || !card->getBoundingBox().containsPoint(point)) {
        return false;
    }
    lastLocation_ = location;
    press_.card = card;
    press_.listener = listener;
    press_.startTime = now();
    press_.travel = 0;
    // The trash tints only a lifted card: a tap near it leaves the card as it is.
    press_.overTrash = false;
    const int serial = serial_;
    runAfter(kLiftDelay, [this, serial] { lift(serial); });
    return true;
}

bool CardGestures::liftStillDue(int serial) const {
    return press_.card && press_.liftArmed && serial == serial_;
}

void CardGestures::lift(int serial) {
    if (!liftStillDue(serial)) {
        return;
    }
    CardSprite* card = press_.card;
    board_->liftCard(card);
    card->setOpacity(kLiftedOpacity);
    press_.dragging = true;
    // From here the finger drags the card: the field view below loses the touch.
    press_.listener->setSwallowTouches(true);
    startAutoScroll(card);
    if (trash_) {
        trash_->appear();
        press_.overTrash = trash_->updateHover(card, lastLocation_);
    }
    runAfter(kBlockLiftDelay, [this, serial] { liftBlock(serial); });
}

void CardGestures::liftBlock(int serial) {
    if (!liftStillDue(serial)) {
        return;
    }
    board_->liftBlock(press_.card);
    for (const int id : board_->model().dragGroup()) {
        if (CardSprite* node = board_->nodeFor(id)) {
            node->setOpacity(kBlockOpacity);
        }
    }
}

void CardGestures::move(CardSprite* card, Touch* touch) {
    // A second finger on the field is a pinch: the card waits.
    if (card != press_.card || view_->touches.size() >= 2) {
        return;
    }
    const Vec2 delta = touch->getDelta() / view_->getZoomScale();
    lastLocation_ = touch->getLocation();
    press_.travel += delta.length();
    if (delta.isZero()) {
        return;
    }
    if (press_.dragging) {
        board_->moveCards(card, delta);
        press_.overTrash = false;
        for (const int id : board_->model().dragGroup()) {
            CardSprite* node = board_->nodeFor(id);
            if (node && trash_ && trash_->updateHover(node, touch->getLocation())) {
                press_.overTrash = true;
            }
        }
    }
    // A press that has moved is a scroll of the field and never lifts.
    press_.liftArmed = false;
}

void CardGestures::release(CardSprite* card, Touch* touch, bool cancelled) {
    if (card != press_.card) {
        return;
    }
    stopAutoScroll();
    if (press_.dragging) {
        press_.listener->setSwallowTouches(false);
        if (cancelled || !CardDrop::onScreen(touch->getLocation())) {
            // Not the finger's choice on the screen (a cancel, or a release
            // past the window's edge): nothing is thrown away or moved.
            putBack();
        } else {
            putDown(touch->getLocation());
        }
    }
    press_.travel += touch->getDelta().length();
    InputCardSprite* tapped =
        cancelled ? nullptr : CardTap::editorTarget(card, press_.travel, now() - press_.startTime);
    if (tapped && board_->nodeFor(tapped->modelId) != tapped) {
        tapped = nullptr; // it went into the trash
    }
    board_->model().endDrag();
    endPress();
    if (tapped && onOpenNumberEditor) {
        onOpenNumberEditor(tapped);
    }
}

void CardGestures::putBack() {
    for (const int id : board_->model().dragGroup()) {
        if (CardSprite* node = board_->nodeFor(id)) {
            node->setOpacity(255);
            node->setColor(engine::Color3B::WHITE);
        }
    }
    board_->cancelDrag();
    if (trash_) {
        trash_->disappear();
    }
}

void CardGestures::putDown(const Vec2& location) {
    CardDrop::putDown(*board_, trash_, location);
    if (onSave) {
        onSave();
    }
}

void CardGestures::endPress() {
    press_ = Press();
    serial_ = (serial_ + 1) % kSerialCount;
}

void CardGestures::runAfter(float delay, const std::function<void()>& action) {
    host_->runAction(
        engine::Sequence::create(engine::DelayTime::create(delay), engine::CallFunc::create(action)));
}

void CardGestures::startAutoScroll(CardSprite* card) {
    scroller_.begin(card);
    host_->schedule([this](float) { autoScrollStep(); }, kAutoScrollKey);
}

void CardGestures::stopAutoScroll() {
    host_->unschedule(kAutoScrollKey);
}

bool CardGestures::isAutoScrolling() const {
    return host_->getScheduler()->isScheduled(kAutoScrollKey, host_);
}

void CardGestures::followPlacingCard(CardSprite* card) {
    placing_ = card;
    if (card) {
        startAutoScroll(card);
    } else {
        stopAutoScroll();
    }
}

void CardGestures::autoScrollStep() {
    CardSprite* card = placing_ ? placing_.get() : press_.card.get();
    if (press_.overTrash || !card || !card->getParent()) {
        return;
    }
    scroller_.step(card);
}
