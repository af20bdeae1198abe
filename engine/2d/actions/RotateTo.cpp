#include "engine/2d/actions/RotateTo.h"

#include "engine/2d/Node.h"

#include <cmath>
#include <new>

namespace engine {

RotateTo* RotateTo::create(float duration, float dstAngle) {
    auto* action = new (std::nothrow) RotateTo();
    if (action && action->initWithDuration(duration)) {
        action->dstAngle_ = Vec3(0, 0, dstAngle);
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

RotateTo* RotateTo::create(float duration, const Vec3& dstAngle3D) {
    auto* action = new (std::nothrow) RotateTo();
    if (action && action->initWithDuration(duration)) {
        action->dstAngle_ = dstAngle3D;
        action->is3D_ = true;
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

void RotateTo::calculateAngles(float& startAngle, float& diffAngle, float dstAngle) {
    startAngle = std::fmod(startAngle, 360.0f);
    diffAngle = dstAngle - startAngle;
    if (diffAngle > 180) {
        diffAngle -= 360;
    }
    if (diffAngle < -180) {
        diffAngle += 360;
    }
}

void RotateTo::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    if (is3D_) {
        startAngle_ = target->getRotation3D();
    } else {
        startAngle_ = Vec3(0, 0, target->getRotation());
    }
    calculateAngles(startAngle_.x, diffAngle_.x, dstAngle_.x);
    calculateAngles(startAngle_.y, diffAngle_.y, dstAngle_.y);
    calculateAngles(startAngle_.z, diffAngle_.z, dstAngle_.z);
}

void RotateTo::update(float time) {
    if (!target_) {
        return;
    }
    const Vec3 angle = startAngle_ + diffAngle_ * time;
    if (is3D_) {
        target_->setRotation3D(angle);
    } else {
        target_->setRotation(angle.z);
    }
}

RotateTo* RotateTo::clone() const {
    return is3D_ ? create(duration_, dstAngle_) : create(duration_, dstAngle_.z);
}

} // namespace engine
