#pragma once

#include "engine/2d/actions/ActionEase.h"

namespace engine {

// Fast at first, settling gently: 1 - 2^(-10 t), exactly 1 at the end.
class EaseExponentialOut : public ActionEase {
public:
    static EaseExponentialOut* create(ActionInterval* action);

    static float ease(float time);

    void update(float time) override;
    EaseExponentialOut* clone() const override;

private:
    EaseExponentialOut() = default;
};

} // namespace engine
