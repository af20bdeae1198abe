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
        elapsed_ = 0;
    } else {
        elapsed_ += dt;
    }
    const bool reached = elapsed_ >= static_cast<double>(duration_) - kReachTolerance;
    // On the last step the action lands exactly on its end, so a sequence
    // hands over to its next action and a move stops on its target.
    const float progress = reached ? 1.0f : std::clamp(static_cast<float>(elapsed_ / duration_), 0.0f, 1.0f);
    update(progress);
    done_ = reached;
}

void ActionInterval::startWithTarget(Node* target) {
    FiniteTimeAction::startWithTarget(target);
    elapsed_ = 0;
    firstTick_ = true;
    done_ = false;
}

} // namespace engine
