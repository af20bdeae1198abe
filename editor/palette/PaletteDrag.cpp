#include "editor/palette/PaletteDrag.h"

#include "editor/cards/CardSprite.h"
#include "editor/field/CardPlacing.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "widgets/Design.h"

#include <cmath>
#include <numbers>

using engine::Vec2;

PaletteDrag::PaletteDrag(CardPlacing* field, engine::Node* floatLayer)
    : field_(field), floatLayer_(floatLayer) {}

PaletteDrag::~PaletteDrag() = default;

bool PaletteDrag::press(CardSprite* paletteCard, engine::Touch* touch) {
    // One palette touch at a time: a second finger would otherwise take over
    // the first one's floating card halfway through its drag.
    if (isActive() || !paletteCard) {
        return false;
    }
    paletteCard_ = paletteCard;
    touchId_ = touch->getID();
    decided_ = false;
    touchStart_ = touch->getLocation();
    paletteCard->stopAllActions();
    const unsigned serial = touchSerial_;
    paletteCard->runAction(engine::Sequence::create(
        engine::DelayTime::create(kLongPressDelay), engine::CallFunc::create([this, serial] {
            if (serial == touchSerial_ && isActive() && !decided_) {
                lift(worldPositionOf(paletteCard_.get()) + Vec2(kLongPressOffset, kLongPressOffset));
            }
        })));
    return true;
}

void PaletteDrag::move(engine::Touch* touch) {
    if (!isActive() || touch->getID() != touchId_) {
        return;
    }
    if (!decided_) {
        const Vec2 travel = touch->getLocation() - touchStart_;
        if (travel.length() < kDecideDistance) {
            return;
        }
        const float degrees = std::atan2(travel.x, travel.y) * 180.0f / std::numbers::pi_v<float>;
        if (degrees > kLiftMinAngle && degrees < kLiftMaxAngle) {
            lift(worldPositionOf(paletteCard_.get()));
        }
        // A steeper gesture stays a scroll of the palette until the finger lifts.
        decided_ = true;
    }
    if (floating_) {
        followFinger(touch);
    }
}

void PaletteDrag::followFinger(engine::Touch* touch) {
    if (placing_) {
        // Even once a row edit by another finger has pushed the card off the
        // field: the finger then carries nothing, and no second card is made.
        field_->movePlacing(touch->getDelta());
        return;
    }
    const Vec2 world = worldPositionOf(floating_.get());
    if (world.x < design::kPaletteWidth + floating_->getContentSize().width / 2) {
        floating_->setPosition(floating_->getPosition() + touch->getDelta());
        return;
    }
    // The whole copy has left the palette: the card now lies on the field.
    if (field_->startPlacing(floating_->getCardSet(), floating_->getCardIndex(), world, kPlacingOpacity)) {
        floating_->setVisible(false);
        placing_ = true;
    }
}

void PaletteDrag::end(engine::Touch* touch, bool cancelled) {
    if (isActive() && touch->getID() == touchId_) {
        finish(!cancelled && touch->getLocation().x >= design::kPaletteWidth, touch->getLocation());
    }
}

void PaletteDrag::abandon() {
    if (isActive()) {
        finish();
    }
}

bool PaletteDrag::holdsCardAgainst(const engine::Touch* touch) const {
    return isActive() && touchId_ != touch->getID();
}

CardSprite* PaletteDrag::placingCard() const {
    return placing_ ? field_->placingCard() : nullptr;
}

void PaletteDrag::lift(Vec2 worldPosition) {
    if (!field_->hasRoomForCard()) {
        // Said once: the finger now only scrolls the palette.
        decided_ = true;
        if (onNoRoom) {
            onNoRoom();
        }
        return;
    }
    CardSprite* copy = CardSprite::create(paletteCard_->getImage());
    if (!copy) {
        return;
    }
    copy->setCardKey(paletteCard_->getCardSet(), paletteCard_->getCardIndex());
    copy->setOpacity(kFloatingOpacity);
    copy->setPosition(floatLayer_->convertToNodeSpace(worldPosition));
    floatLayer_->addChild(copy, kFloatingZOrder);
    floating_ = copy;
    // From now on the finger carries the card, not the palette.
    setSwallowing(true);
    decided_ = true;
}

void PaletteDrag::finish(bool keepCard, std::optional<Vec2> finger) {
    if (placing_) {
        placing_ = false;
        field_->finishPlacing(keepCard, finger);
        if (keepCard && onCardPlaced) {
            onCardPlaced();
        }
    }
    if (floating_) {
        floating_->removeFromParent();
        floating_ = nullptr;
    }
    paletteCard_->stopAllActions();
    setSwallowing(false);
    paletteCard_ = nullptr;
    touchId_ = -1;
    ++touchSerial_;
}

Vec2 PaletteDrag::worldPositionOf(const engine::Node* node) const {
    const engine::Node* parent = node->getParent();
    return parent ? parent->convertToWorldSpace(node->getPosition()) : node->getPosition();
}

void PaletteDrag::setSwallowing(bool swallow) const {
    if (auto* listener =
            dynamic_cast<engine::EventListenerTouchOneByOne*>(paletteCard_->getPaletteListener())) {
        listener->setSwallowTouches(swallow);
    }
}
