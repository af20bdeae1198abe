#pragma once

#include "engine/2d/actions/ActionInterval.h"

namespace engine {

// Runs an inner action on a reshaped time line; subclasses choose the curve.
class ActionEase : public ActionInterval {
public:
    ~ActionEase() override;

    ActionInterval* getInnerAction() const { return inner_; }

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;

    ActionEase* clone() const override = 0;

protected:
    ActionEase() = default;
    bool initWithAction(ActionInterval* action);

    ActionInterval* inner_ = nullptr;
};

} // namespace engine
