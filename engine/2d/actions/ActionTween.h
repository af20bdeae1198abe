#pragma once

#include "engine/2d/actions/ActionInterval.h"

#include <string>

namespace engine {

// Implemented by nodes that an ActionTween drives: receives the tweened value
// for a key on every step.
class ActionTweenDelegate {
public:
    virtual ~ActionTweenDelegate() = default;
    virtual void updateTweenAction(float value, const std::string& key) = 0;
};

// Moves a value from `from` to `to` over the duration and hands each value to
// the target, which must be an ActionTweenDelegate (other targets are left
// alone).
class ActionTween : public ActionInterval {
public:
    static ActionTween* create(float duration, const std::string& key, float from, float to);

    void startWithTarget(Node* target) override;
    void update(float time) override;
    ActionTween* clone() const override;

private:
    ActionTween() = default;

    std::string key_;
    float from_ = 0;
    float to_ = 0;
    float delta_ = 0;
    ActionTweenDelegate* delegate_ = nullptr;
};

} // namespace engine
