#include "engine/2d/actions/ActionEase.h"

namespace engine {

ActionEase::~ActionEase() {
    safeRelease(inner_);
}

bool ActionEase::initWithAction(ActionInterval* action) {
    if (!action) {
        return false;
    }
    ActionInterval::initWithDuration(action->getDuration());
    action->retain();
    inner_ = action;
    return true;
}

void ActionEase::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    inner_->startWithTarget(target_);
}

void ActionEase::stop() {
    inner_->stop();
    ActionInterval::stop();
}

void ActionEase::update(float time) {
    inner_->update(time);
}

} // namespace engine
