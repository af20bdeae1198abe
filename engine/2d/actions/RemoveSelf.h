#pragma once

#include "engine/2d/actions/ActionInstant.h"

namespace engine {

// Removes its target from the target's parent (with cleanup by default).
class RemoveSelf : public ActionInstant {
public:
    static RemoveSelf* create(bool isNeedCleanUp = true);

    void update(float time) override;
    RemoveSelf* clone() const override;

private:
    RemoveSelf() = default;

    bool isNeedCleanUp_ = true;
};

} // namespace engine
