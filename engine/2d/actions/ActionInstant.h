#pragma once

#include "engine/2d/actions/FiniteTimeAction.h"

namespace engine {

// An action that happens at once: its first step completes it.
class ActionInstant : public FiniteTimeAction {
public:
    bool isDone() const override { return true; }
    void step(float dt) override;

    ActionInstant* clone() const override = 0;

protected:
    ActionInstant() = default;
};

} // namespace engine
