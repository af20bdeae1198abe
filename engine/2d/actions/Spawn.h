#pragma once

#include "engine/2d/actions/ActionInterval.h"

#include <type_traits>
#include <vector>

namespace engine {

// Runs actions together; it lasts as long as the longest, and shorter ones
// are padded with a delay so that all see the same clock.
class Spawn : public ActionInterval {
public:
    // Spawn::create(a, b, c) or, in the original style, (a, b, c, nullptr):
    // the list ends at the first null.
    template <typename... Actions>
    requires(sizeof...(Actions) > 0 && (std::is_convertible_v<Actions, FiniteTimeAction*> &&
                                        ...)) static Spawn* create(Actions... actions) {
        return create(std::vector<FiniteTimeAction*>{static_cast<FiniteTimeAction*>(actions)...});
    }
    static Spawn* create(const std::vector<FiniteTimeAction*>& actions);
    static Spawn* createWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo);

    ~Spawn() override;

    void startWithTarget(Node* target) override;
    void stop() override;
    void update(float time) override;
    Spawn* clone() const override;

private:
    Spawn() = default;
    bool initWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo);

    FiniteTimeAction* one_ = nullptr;
    FiniteTimeAction* two_ = nullptr;
};

} // namespace engine
