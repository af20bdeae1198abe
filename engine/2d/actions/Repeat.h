#pragma once

#include "engine/2d/actions/ActionInterval.h"

namespace engine {

// Runs an action a number of times in a row; it lasts that many durations.
class Repeat : public ActionInterval {
public:
    static Repeat* create(FiniteTimeAction* action, unsigned int times);
    ~Repeat() override;

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;
    bool isDone() const override;
    Repeat* clone() const override;

    FiniteTimeAction* getInnerAction() const { return innerAction_; }

private:
    Repeat() = default;
    bool initWithAction(FiniteTimeAction* action, unsigned int times);

    unsigned int times_ = 0;
    unsigned int total_ = 0;
    float nextDt_ = 0;
    bool actionInstant_ = false;
    FiniteTimeAction* innerAction_ = nullptr;
};

} // namespace engine
