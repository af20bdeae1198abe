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

#include <algorithm>

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
    press_.finger = touch->isFinger();
    press_.touchId = touch->getID();
    // The trash tints only a lifted card: a tap near it leaves the card as it is.
    press_.overTrash = false;
    if (press_.finger) {
        // A finger on a card means the card: the field below never scrolls
        // under it (the swallowing is read after this handler).
        listener->setSwallowTouches(true);
    }
    const int serial = serial_;
    runAfter(kLiftDelay, [this, serial] { lift(serial); });
    return true;
}

bool CardGestures::holdsCardAgainst(const Touch* touch) const {
    return press_.card && press_.touchId != touch->getID();
}

bool CardGestures::liftStillDue(int serial) const {
    // A card that a row edit took off the field meanwhile is not lifted.
    return press_.card && press_.liftArmed && serial == serial_ &&
           board_->nodeFor(press_.card->modelId) == press_.card;
}

void CardGestures::lift(int serial) {
    if (!liftStillDue(serial) || press_.dragging) {
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
    const std::vector<int> block = board_->model().blockOf(card->modelId);
    press_.below.assign(block.begin() + (block.empty() ? 0 : 1), block.end());
    host_->schedule([this](float) { holdStep(); }, kHoldKey);
}

void CardGestures::holdStep() {
    if (!press_.card || !press_.liftArmed) {
        endHold();
        return;
    }
    const double held = now() - press_.startTime;
    if (held >= kBlockHoldTime) {
        liftBlock();
        return;
    }
    // The cards below light up one after another, the last just before the
    // block lifts, so the child sees the hold coming to an end.
    const double share = (held - kLiftDelay) / (kBlockHoldTime - kLiftDelay);
    const auto count = static_cast<double>(press_.below.size() + 1);
    const int lit = std::clamp(static_cast<int>(share * count), 0, static_cast<int>(press_.below.size()));
    for (int i = press_.lit; i < lit; ++i) {
        if (CardSprite* node = board_->nodeFor(press_.below[static_cast<std::size_t>(i)])) {
            node->setColor(kHoldTint);
        }
    }
    press_.lit = std::max(press_.lit, lit);
}

void CardGestures::endHold() {
    host_->unschedule(kHoldKey);
    for (int i = 0; i < press_.lit; ++i) {
        if (CardSprite* node = board_->nodeFor(press_.below[static_cast<std::size_t>(i)])) {
            node->setColor(engine::Color3B::WHITE);
        }
    }
    press_.lit = 0;
}

void CardGestures::liftBlock() {
    endHold();
    board_->liftBlock(press_.card);
    for (const int id : board_->model().dragGroup()) {
        if (CardSprite* node = board_->nodeFor(id)) {
            node->setOpacity(kBlockOpacity);
        }
    }
}

bool CardGestures::fingerStillHolding(Touch* touch) {
    const float away = touch->getLocation().distance(touch->getStartLocation());
    press_.travel = std::max(press_.travel, away);
    if (away < CardTap::kFingerSlop) {
        return true;
    }
    lift(serial_);
    return false;
}

void CardGestures::move(CardSprite* card, Touch* touch) {
    // A second finger on the field is a pinch: the card waits.
    if (card != press_.card || view_->touches.size() >= 2) {
        return;
    }
    lastLocation_ = touch->getLocation();
    Vec2 delta = touch->getDelta() / view_->getZoomScale();
    if (press_.finger && press_.liftArmed) {
        if (fingerStillHolding(touch)) {
            return;
        }
        // Past the slop the card (or the block the hold lifted) catches up
        // with the finger at once.
        delta = (touch->getLocation() - touch->getStartLocation()) / view_->getZoomScale();
    } else if (!press_.finger) {
        press_.travel += delta.length();
    }
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
    // A press that has moved is a scroll of the field (or a drag of the one
    // card) and never lifts a block.
    press_.liftArmed = false;
    endHold();
}

void CardGestures::release(CardSprite* card, Touch* touch, bool cancelled) {
    if (card != press_.card) {
        return;
    }
    stopAutoScroll();
    // A finger swallowed from its press, the mouse from its lift.
    press_.listener->setSwallowTouches(false);
    if (press_.dragging) {
        if (cancelled || !CardDrop::onScreen(touch->getLocation())) {
            // Not the finger's choice on the screen (a cancel, or a release
            // past the window's edge): nothing is thrown away or moved.
            putBack();
        } else {
            putDown(touch->getLocation());
        }
    }
    if (press_.finger) {
        press_.travel = std::max(press_.travel, touch->getLocation().distance(touch->getStartLocation()));
    } else {
        press_.travel += touch->getDelta().length();
    }
    InputCardSprite* tapped =
        cancelled ? nullptr
                  : CardTap::editorTarget(card, press_.travel, now() - press_.startTime, press_.finger);
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
    endHold();
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
