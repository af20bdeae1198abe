#include "editor/field/TrashCan.h"

#include "editor/cards/CardSprite.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/FadeIn.h"
#include "engine/2d/actions/FadeOut.h"
#include "engine/2d/actions/Sequence.h"
#include "widgets/HitTest.h"

namespace {

const engine::Color3B kOverTrashTint(0, 30, 70);

} // namespace

engine::Sprite* TrashCan::createSprite(const engine::Size& visibleSize) {
    engine::Sprite* sprite = engine::Sprite::create(kClosedImage);
    if (!sprite) {
        return nullptr;
    }
    const engine::Size size = sprite->getContentSize();
    sprite->setPosition(visibleSize.width - size.width / 2 - 50, visibleSize.height - size.height / 2 - 70);
    sprite->setOpacity(0);
    return sprite;
}

bool TrashCan::contains(const engine::Vec2& screenPoint) const {
    const engine::Rect box = HitTest::worldBoundingBox(sprite_);
    const engine::Rect area(box.origin.x - box.size.width / 2, box.origin.y - box.size.height / 2,
                            box.size.width * 2, box.size.height * 2);
    return area.containsPoint(screenPoint);
}

bool TrashCan::updateHover(CardSprite* card, const engine::Vec2& screenPoint) {
    const bool inside = contains(screenPoint);
    sprite_->setTexture(inside ? kOpenImage : kClosedImage);
    card->setColor(inside ? kOverTrashTint : engine::Color3B::WHITE);
    return inside;
}

engine::Vec2 TrashCan::positionIn(const engine::Node* parent) const {
    const engine::Node* own = sprite_->getParent();
    const engine::Vec2 world =
        own ? own->convertToWorldSpace(sprite_->getPosition()) : sprite_->getPosition();
    return parent ? parent->convertToNodeSpace(world) : world;
}

void TrashCan::appear() {
    sprite_->stopAllActions();
    sprite_->runAction(engine::FadeIn::create(kFadeDuration));
}

void TrashCan::disappear() {
    sprite_->stopAllActions();
    sprite_->runAction(engine::FadeOut::create(kFadeDuration));
}

void TrashCan::swallowDropped() {
    engine::Sprite* sprite = sprite_;
    sprite->stopAllActions();
    sprite->runAction(
        engine::Sequence::create(engine::FadeIn::create(0), engine::DelayTime::create(0.2f),
                                 engine::CallFunc::create([sprite] { sprite->setTexture(kClosedImage); }),
                                 engine::DelayTime::create(0.1f), engine::FadeOut::create(kFadeDuration)));
}

void TrashCan::swallowPushed() {
    engine::Sprite* sprite = sprite_;
    sprite->stopAllActions();
    sprite->runAction(engine::Sequence::create(
        engine::FadeIn::create(0.05f), engine::CallFunc::create([sprite] { sprite->setTexture(kOpenImage); }),
        engine::DelayTime::create(0.2f),
        engine::CallFunc::create([sprite] { sprite->setTexture(kClosedImage); }),
        engine::DelayTime::create(0.1f), engine::FadeOut::create(kFadeDuration)));
}
