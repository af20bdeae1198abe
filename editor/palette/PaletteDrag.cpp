#include "editor/palette/PaletteDrag.h"

#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "widgets/Design.h"

#include <cmath>
#include <numbers>

using engine::Vec2;

PaletteDrag::PaletteDrag(FieldBoard* board, engine::Node* floatLayer)
    : board_(board), floatLayer_(floatLayer) {}

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
    if (fieldCardId_ != pavlune::PlacedCard::kNoCard) {
        // Gone from the field meanwhile (a row edit by another finger): the
        // finger now carries nothing, and no second card is made.
        if (CardSprite* placed = placingCard()) {
            board_->moveCards(placed, touch->getDelta() / board_->viewport().zoom());
        }
        return;
    }
    const Vec2 world = worldPositionOf(floating_.get());
    if (world.x < design::kPaletteWidth + floating_->getContentSize().width / 2) {
        floating_->setPosition(floating_->getPosition() + touch->getDelta());
        return;
    }
    // The whole copy has left the palette: the card now lies on the field.
    const Vec2 content = board_->viewport().toContent(world);
    CardSprite* placed =
        board_->addCard(floating_->getCardSet(), floating_->getCardIndex(), content, kPlacingOpacity);
    if (!placed) {
        return;
    }
    floating_->setVisible(false);
    fieldCardId_ = placed->modelId;
    board_->model().setDragGroup({fieldCardId_});
    board_->raiseCards();
    if (startEdgeScroll) {
        edgeScrolling_ = true;
        startEdgeScroll(placed);
    }
}

void PaletteDrag::end(engine::Touch* touch, bool cancelled) {
    if (isActive() && touch->getID() == touchId_) {
        finish(!cancelled && touch->getLocation().x >= design::kPaletteWidth);
    }
}

void PaletteDrag::abandon() {
    if (isActive()) {
        finish();
    }
}

CardSprite* PaletteDrag::placingCard() const {
    return fieldCardId_ == pavlune::PlacedCard::kNoCard ? nullptr : board_->nodeFor(fieldCardId_);
}

void PaletteDrag::lift(Vec2 worldPosition) {
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

void PaletteDrag::finish(bool keepCard) {
    const bool placed = fieldCardId_ != pavlune::PlacedCard::kNoCard;
    if (CardSprite* card = placingCard()) {
        card->setOpacity(255);
        if (!keepCard) {
            board_->removeCard(card);
        }
    }
    fieldCardId_ = pavlune::PlacedCard::kNoCard;
    if (placed) {
        board_->model().endDrag();
        if (keepCard && onCardPlaced) {
            onCardPlaced();
        }
    }
    if (floating_) {
        floating_->removeFromParent();
        floating_ = nullptr;
    }
    if (edgeScrolling_) {
        edgeScrolling_ = false;
        if (stopEdgeScroll) {
            stopEdgeScroll();
        }
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
