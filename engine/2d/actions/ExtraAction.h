#pragma once

#include "engine/2d/actions/FiniteTimeAction.h"

namespace engine {

// A do-nothing partner that lets a sequence or spawn hold a single action.
class ExtraAction : public FiniteTimeAction {
public:
    static ExtraAction* create();

    ExtraAction* clone() const override;
    void update(float time) override;
    void step(float dt) override;

private:
    ExtraAction() = default;
};

} // namespace engine
