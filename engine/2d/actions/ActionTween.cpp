#include "engine/2d/actions/ActionTween.h"

#include "engine/2d/Node.h"

#include <new>

namespace engine {

ActionTween* ActionTween::create(float duration, const std::string& key, float from, float to) {
    auto* tween = new (std::nothrow) ActionTween();
    if (tween && tween->initWithDuration(duration)) {
        tween->key_ = key;
        tween->from_ = from;
        tween->to_ = to;
        tween->autorelease();
        return tween;
    }
    delete tween;
    return nullptr;
}

void ActionTween::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    delegate_ = dynamic_cast<ActionTweenDelegate*>(target);
    delta_ = to_ - from_;
}

void ActionTween::update(float time) {
    if (target_ && delegate_) {
        delegate_->updateTweenAction(to_ - delta_ * (1 - time), key_);
    }
}

ActionTween* ActionTween::clone() const {
    return create(duration_, key_, from_, to_);
}

} // namespace engine
