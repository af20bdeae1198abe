#pragma once

#include "engine/2d/actions/FiniteTimeAction.h"

namespace engine {

// An action spread over its duration. The first step after a start counts as
// no time, whatever that frame's dt: the frame in which an action is started
// does not advance it. Every later step adds its dt, and `update` receives the
// elapsed fraction, clamped to 0..1. The action finishes on the step whose
// elapsed time reaches the duration: a 1 s action stepped at 60 frames a
// second ends on the 60th frame after its start.
class ActionInterval : public FiniteTimeAction {
public:
    // Durations this short count as instant.
    static constexpr float MIN_DURATION = 0.000001f;
    // Elapsed time this close to the duration counts as reaching it: frame
    // times rarely add up exactly (sixty float 1/60 s are short of 1 s).
    static constexpr double kReachTolerance = 0.000001;

    float getElapsed() const { return static_cast<float>(elapsed_); }

    bool isDone() const override { return done_; }
    void step(float dt) override;
    void startWithTarget(Node* target) override;

    ActionInterval* clone() const override = 0;

protected:
    ActionInterval() = default;
    bool initWithDuration(float duration);

    // Summed in double so that long actions do not drift from their frames.
    double elapsed_ = 0;
    bool firstTick_ = true;
    bool done_ = false;
};

} // namespace engine
