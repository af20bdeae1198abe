#include "engine/2d/actions/RepeatForever.h"

#include <cmath>
#include <new>

namespace engine {

RepeatForever* RepeatForever::create(ActionInterval* action) {
    if (!action) {
        return nullptr;
    }
    auto* repeat = new (std::nothrow) RepeatForever();
    if (!repeat) {
        return nullptr;
    }
    action->retain();
    repeat->innerAction_ = action;
    repeat->autorelease();
    return repeat;
}

RepeatForever::~RepeatForever() {
    safeRelease(innerAction_);
}

void RepeatForever::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    innerAction_->startWithTarget(target);
}

void RepeatForever::step(float dt) {
    innerAction_->step(dt);
    const float duration = innerAction_->getDuration();
    if (innerAction_->isDone() && duration > 0) {
        float overshoot = innerAction_->getElapsed() - duration;
        if (overshoot > duration) {
            overshoot = std::fmod(overshoot, duration);
        }
        innerAction_->startWithTarget(target_);
        // The restart's first step counts as no time; then the overshoot.
        innerAction_->step(0.0f);
        innerAction_->step(overshoot);
    }
}

RepeatForever* RepeatForever::clone() const {
    return create(innerAction_->clone());
}

} // namespace engine
