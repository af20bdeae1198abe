#pragma once

#include "engine/2d/actions/ActionInterval.h"

namespace engine {

// Restarts an action whenever it ends, for as long as the target runs it.
// Time that overshoots one round is carried into the next, so the turns do
// not drift with the frame rate.
class RepeatForever : public ActionInterval {
public:
    static RepeatForever* create(ActionInterval* action);
    ~RepeatForever() override;

    void startWithTarget(Node* target) override;
    void step(float dt) override;
    bool isDone() const override { return false; }
    RepeatForever* clone() const override;

    ActionInterval* getInnerAction() const { return innerAction_; }

private:
    RepeatForever() = default;

    ActionInterval* innerAction_ = nullptr;
};

} // namespace engine
