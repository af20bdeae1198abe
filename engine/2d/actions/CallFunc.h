#pragma once

#include "engine/2d/actions/ActionInstant.h"

#include <functional>

namespace engine {

// Calls a function when it runs (in a sequence: when the action before it ends).
class CallFunc : public ActionInstant {
public:
    static CallFunc* create(const std::function<void()>& function);

    void execute();
    void update(float time) override;
    CallFunc* clone() const override;

private:
    CallFunc() = default;

    std::function<void()> function_;
};

} // namespace engine
