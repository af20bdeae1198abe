#pragma once

#include "engine/2d/actions/Action.h"

namespace engine {

// An action with a known duration in seconds (0 for instant actions), which
// sequences and spawns use to divide their time.
class FiniteTimeAction : public Action {
public:
    float getDuration() const { return duration_; }
    void setDuration(float duration) { duration_ = duration; }

    FiniteTimeAction* clone() const override = 0;

protected:
    FiniteTimeAction() = default;

    float duration_ = 0;
};

} // namespace engine
