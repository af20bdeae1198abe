#pragma once

#include "engine/2d/actions/ActionInterval.h"
#include "engine/base/Vec3.h"

namespace engine {

// Turns the target by an angle in degrees (or by three angles in 3D).
class RotateBy : public ActionInterval {
public:
    static RotateBy* create(float duration, float deltaAngle);
    static RotateBy* create(float duration, const Vec3& deltaAngle3D);

    void startWithTarget(Node* target) override;
    void update(float time) override;
    RotateBy* clone() const override;

private:
    RotateBy() = default;

    bool is3D_ = false;
    Vec3 deltaAngle_;
    Vec3 startAngle_;
};

} // namespace engine
