#include "engine/2d/actions/FadeTo.h"

#include "engine/2d/Node.h"

#include <new>

namespace engine {

FadeTo* FadeTo::create(float duration, std::uint8_t opacity) {
    auto* action = new (std::nothrow) FadeTo();
    if (action && action->initWithDuration(duration, opacity)) {
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

bool FadeTo::initWithDuration(float duration, std::uint8_t opacity) {
    toOpacity_ = opacity;
    return ActionInterval::initWithDuration(duration);
}

void FadeTo::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    fromOpacity_ = target->getOpacity();
}

void FadeTo::update(float time) {
    if (!target_) {
        return;
    }
    const float opacity = fromOpacity_ + (static_cast<int>(toOpacity_) - fromOpacity_) * time;
    target_->setOpacity(static_cast<std::uint8_t>(opacity));
}

FadeTo* FadeTo::clone() const {
    return create(duration_, toOpacity_);
}

} // namespace engine
