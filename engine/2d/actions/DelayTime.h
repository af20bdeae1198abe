#pragma once

#include "engine/2d/actions/ActionInterval.h"

namespace engine {

// Waits; in a sequence it delays what follows.
class DelayTime : public ActionInterval {
public:
    static DelayTime* create(float duration);

    void update(float time) override;
    DelayTime* clone() const override;

private:
    DelayTime() = default;
};

} // namespace engine
