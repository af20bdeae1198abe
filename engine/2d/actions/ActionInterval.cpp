#include "engine/2d/actions/ActionInterval.h"

#include <algorithm>
#include <cmath>

namespace engine {

bool ActionInterval::initWithDuration(float duration) {
    duration_ = std::abs(duration) <= MIN_DURATION ? MIN_DURATION : duration;
    elapsed_ = 0;
    firstTick_ = true;
    done_ = false;
    return true;
}

void ActionInterval::step(float dt) {
    if (firstTick_) {
        firstTick_ = false;
        elapsed_ = MIN_DURATION;
    } else {
        elapsed_ += dt;
    }
    const float progress = std::clamp(elapsed_ / duration_, 0.0f, 1.0f);
    update(progress);
    done_ = elapsed_ >= duration_;
}

void ActionInterval::startWithTarget(Node* target) {
    FiniteTimeAction::startWithTarget(target);
    elapsed_ = 0;
    firstTick_ = true;
    done_ = false;
}

} // namespace engine
