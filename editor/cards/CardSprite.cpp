#include "editor/cards/CardSprite.h"

#include "catalogue/CatalogueView.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/RotateTo.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"

#include <new>

using engine::Vec2;
using engine::Vec3;

CardSprite* CardSprite::create(const std::string& image) {
    return create(image, "");
}

CardSprite* CardSprite::create(const std::string& image, const std::string& backImage) {
    auto* card = new (std::nothrow) CardSprite();
    if (card && card->init(image, backImage)) {
        card->autorelease();
        return card;
    }
    delete card;
    return nullptr;
}

CardSprite* CardSprite::createForCard(const pavlune::CatalogueView& catalogue, int set, int index) {
    const std::string image = catalogue.getCardFaceImage(index, set);
    if (image.empty()) {
        return nullptr;
    }
    CardSprite* card = create(image, catalogue.getCardBackImage(index, set));
    if (card) {
        card->setCardKey(set, index);
    }
    return card;
}

CardSprite::~CardSprite() {
    // The turn-over callbacks on the face point back at this card.
    if (face_) {
        face_->stopAllActions();
    }
    engine::safeRelease(paletteListener_);
}

bool CardSprite::init(const std::string& image, const std::string& backImage) {
    if (!Node::init()) {
        return false;
    }
    face_ = engine::Sprite::create(image);
    if (!face_) {
        return false;
    }
    const engine::Size size = face_->getContentSize();
    face_->setPosition(size.width / 2, size.height / 2);
    face_->setCascadeOpacityEnabled(true);
    face_->setCascadeColorEnabled(true);
    addChild(face_);

    setContentSize(size);
    setAnchorPoint(Vec2(0.5f, 0.5f));
    image_ = image;
    backImage_ = backImage;
    if (!backImage_.empty()) {
        addFlickCorner();
    }
    return true;
}

void CardSprite::addFlickCorner() {
    flickCorner_ = engine::Sprite::create(kFlickCornerImage);
    if (!flickCorner_) {
        return; // the card still shows; it just cannot be turned by touch
    }
    const engine::Size corner = flickCorner_->getContentSize();
    flickCorner_->setPosition(getContentSize().width - corner.width / 2, corner.height / 2);
    flickCorner_->setOpacity(0);
    addChild(flickCorner_);

    // Not swallowing: the same touch may also start a drag of the card.
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(false);
    listener->onTouchBegan = [this](engine::Touch* touch, engine::Event*) {
        if (!isOnFlickCorner(touch->getLocation())) {
            return false;
        }
        flickCorner_->setOpacity(kCornerPressedOpacity);
        return true;
    };
    listener->onTouchEnded = [this](engine::Touch* touch, engine::Event*) {
        flickCorner_->setOpacity(0);
        if (isOnFlickCorner(touch->getLocation())) {
            turnOver();
        }
    };
    listener->onTouchCancelled = [this](engine::Touch*, engine::Event*) { flickCorner_->setOpacity(0); };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, flickCorner_);
}

bool CardSprite::isOnFlickCorner(const Vec2& worldPoint) const {
    return flickCorner_->getBoundingBox().containsPoint(convertToNodeSpace(worldPoint));
}

// The card keeps the value too (it cascades to nothing), so that getOpacity
// and getColor, and the fades that start from them, see what the face shows.
void CardSprite::setOpacity(std::uint8_t opacity) {
    Node::setOpacity(opacity);
    face_->setOpacity(opacity);
}

void CardSprite::setColor(const engine::Color3B& color) {
    Node::setColor(color);
    face_->setColor(color);
}

bool CardSprite::turnOver() {
    if (backImage_.empty() || flipping_) {
        // A second turn started halfway would fight the first over the face.
        return false;
    }
    flipping_ = true;
    flipped_ = !flipped_;
    const bool toBack = flipped_;
    face_->runAction(engine::Sequence::create(
        engine::RotateTo::create(kTurnHalfDuration, Vec3(0, 90, 0)), engine::CallFunc::create([this, toBack] {
            // Read at the edge-on moment: a dialect change during the turn shows its own back.
            faceShowsBack_ = toBack;
            face_->setTexture(toBack ? backImage_ : image_);
            refreshFace();
        }),
        engine::RotateTo::create(kTurnHalfDuration, toBack ? Vec3(0, 180, 0) : Vec3(0, 0, 0)),
        engine::CallFunc::create([this] { flipping_ = false; })));
    return true;
}

void CardSprite::setBackImage(const std::string& backImage) {
    backImage_ = backImage;
    if (faceShowsBack_) {
        face_->setTexture(backImage_);
    }
}

void CardSprite::showDialect(const pavlune::CatalogueView& catalogue) {
    setBackImage(catalogue.getCardBackImage(getCardIndex(), getCardSet()));
}

void CardSprite::setValue(const std::string& value) {
    value_ = value;
}

void CardSprite::refreshFace() {}

void CardSprite::setCardKey(int set, int index) {
    cardSet_ = set;
    cardIndex_ = index;
}

void CardSprite::setPaletteListener(engine::EventListener* listener) {
    if (listener) {
        listener->retain();
    }
    engine::safeRelease(paletteListener_);
    paletteListener_ = listener;
}
