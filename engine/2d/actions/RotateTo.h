#pragma once

#include "engine/2d/actions/ActionInterval.h"
#include "engine/base/Vec3.h"

namespace engine {

// Turns the target to an angle in degrees, the shortest way round. The 3D
// form turns about x, y and z (y shows a card edge-on at 90).
class RotateTo : public ActionInterval {
public:
    static RotateTo* create(float duration, float dstAngle);
    static RotateTo* create(float duration, const Vec3& dstAngle3D);

    void startWithTarget(Node* target) override;
    void update(float time) override;
    RotateTo* clone() const override;

private:
    RotateTo() = default;
    // Brings `startAngle` into (-360, 360) and picks the turn of at most 180 degrees.
    static void calculateAngles(float& startAngle, float& diffAngle, float dstAngle);

    bool is3D_ = false;
    Vec3 dstAngle_;
    Vec3 startAngle_;
    Vec3 diffAngle_;
};

} // namespace engine
