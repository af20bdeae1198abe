#pragma once

#include "engine/2d/actions/ActionInterval.h"
#include "engine/base/Geometry.h"

namespace engine {

// Moves the target by a distance. Moves stack: a change of position made by
// someone else while the action runs is kept, not overwritten.
class MoveBy : public ActionInterval {
public:
    static MoveBy* create(float duration, const Vec2& deltaPosition);

    void startWithTarget(Node* target) override;
    void update(float time) override;
    MoveBy* clone() const override;

protected:
    MoveBy() = default;
    bool initWithDuration(float duration, const Vec2& deltaPosition);

    Vec2 positionDelta_;
    Vec2 startPosition_;
    Vec2 previousPosition_;
};

} // namespace engine
