#pragma once

#include "engine/2d/actions/MoveBy.h"

namespace engine {

// Moves the target to a position (the distance is measured when it starts).
class MoveTo : public MoveBy {
public:
    static MoveTo* create(float duration, const Vec2& position);

    void startWithTarget(Node* target) override;
    MoveTo* clone() const override;

private:
    MoveTo() = default;

    Vec2 endPosition_;
};

} // namespace engine
