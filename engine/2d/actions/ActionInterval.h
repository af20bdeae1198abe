#pragma once

#include "engine/2d/actions/FiniteTimeAction.h"

namespace engine {

// An action spread over its duration. The first step after a start counts as
// (almost) no time, whatever that frame's dt: the frame in which an action is
// started does not advance it. Every later step adds its dt, and `update`
// receives the elapsed fraction, clamped to 0..1.
class ActionInterval : public FiniteTimeAction {
public:
    // Durations this short count as instant.
    static constexpr float MIN_DURATION = 0.000001f;

    float getElapsed() const { return elapsed_; }

    bool isDone() const override { return done_; }
    void step(float dt) override;
    void startWithTarget(Node* target) override;

    ActionInterval* clone() const override = 0;

protected:
    ActionInterval() = default;
    bool initWithDuration(float duration);

    float elapsed_ = 0;
    bool firstTick_ = true;
    bool done_ = false;
};

} // namespace engine
