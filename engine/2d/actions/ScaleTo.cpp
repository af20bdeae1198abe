#include "engine/2d/actions/ScaleTo.h"

#include "engine/2d/Node.h"

#include <new>

namespace engine {

ScaleTo* ScaleTo::create(float duration, float scale) {
    return create(duration, scale, scale);
}

ScaleTo* ScaleTo::create(float duration, float scaleX, float scaleY) {
    auto* action = new (std::nothrow) ScaleTo();
    if (action && action->initWithDuration(duration)) {
        action->endScaleX_ = scaleX;
        action->endScaleY_ = scaleY;
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

void ScaleTo::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    startScaleX_ = target->getScaleX();
    startScaleY_ = target->getScaleY();
}

void ScaleTo::update(float time) {
    if (!target_) {
        return;
    }
    target_->setScaleX(startScaleX_ + (endScaleX_ - startScaleX_) * time);
    target_->setScaleY(startScaleY_ + (endScaleY_ - startScaleY_) * time);
}

ScaleTo* ScaleTo::clone() const {
    return create(duration_, endScaleX_, endScaleY_);
}

} // namespace engine
