#include "engine/2d/actions/MoveBy.h"

#include "engine/2d/Node.h"

#include <new>

namespace engine {

MoveBy* MoveBy::create(float duration, const Vec2& deltaPosition) {
    auto* action = new (std::nothrow) MoveBy();
    if (action && action->initWithDuration(duration, deltaPosition)) {
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

bool MoveBy::initWithDuration(float duration, const Vec2& deltaPosition) {
    positionDelta_ = deltaPosition;
    return ActionInterval::initWithDuration(duration);
}

void MoveBy::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    previousPosition_ = startPosition_ = target->getPosition();
}

void MoveBy::update(float time) {
    if (!target_) {
        return;
    }
    const Vec2 current = target_->getPosition();
    startPosition_ += current - previousPosition_;
    const Vec2 position = startPosition_ + positionDelta_ * time;
    target_->setPosition(position);
    previousPosition_ = position;
}

MoveBy* MoveBy::clone() const {
    return create(duration_, positionDelta_);
}

} // namespace engine
