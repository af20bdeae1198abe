#pragma once

#include "engine/2d/actions/ActionInterval.h"

#include <type_traits>
#include <vector>

namespace engine {

// Runs actions one after another. A list is folded into nested pairs; a pair
// splits its time in proportion to the two durations, and an instant action
// runs in the same step that ends the action before it.
class Sequence : public ActionInterval {
public:
    // Sequence::create(a, b, c) or, in the original style, (a, b, c, nullptr):
    // the list ends at the first null.
    template <typename... Actions>
    requires(sizeof...(Actions) > 0 && (std::is_convertible_v<Actions, FiniteTimeAction*> &&
                                        ...)) static Sequence* create(Actions... actions) {
        return create(std::vector<FiniteTimeAction*>{static_cast<FiniteTimeAction*>(actions)...});
    }
    static Sequence* create(const std::vector<FiniteTimeAction*>& actions);
    static Sequence* createWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo);

    ~Sequence() override;

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;
    Sequence* clone() const override;

private:
    Sequence() = default;
    bool initWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo);

    FiniteTimeAction* actions_[2] = {nullptr, nullptr};
    float split_ = 0;
    int last_ = -1;
};

} // namespace engine
