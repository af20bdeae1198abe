#pragma once

#include "engine/2d/actions/ActionInterval.h"

#include <cstdint>

namespace engine {

// Changes the target's opacity to a value (0 to 255).
class FadeTo : public ActionInterval {
public:
    static FadeTo* create(float duration, std::uint8_t opacity);

    void startWithTarget(Node* target) override;
    void update(float time) override;
    FadeTo* clone() const override;

protected:
    FadeTo() = default;
    bool initWithDuration(float duration, std::uint8_t opacity);

    std::uint8_t toOpacity_ = 0;
    std::uint8_t fromOpacity_ = 0;
};

} // namespace engine
