#include "engine/2d/actions/MoveTo.h"

#include "engine/2d/Node.h"

#include <new>

namespace engine {

MoveTo* MoveTo::create(float duration, const Vec2& position) {
    auto* action = new (std::nothrow) MoveTo();
    if (action && action->initWithDuration(duration, Vec2::ZERO)) {
        action->endPosition_ = position;
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

void MoveTo::startWithTarget(Node* target) {
    MoveBy::startWithTarget(target);
    positionDelta_ = endPosition_ - target->getPosition();
}

MoveTo* MoveTo::clone() const {
    return create(duration_, endPosition_);
}

} // namespace engine
