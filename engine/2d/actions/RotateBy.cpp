#include "engine/2d/actions/RotateBy.h"

#include "engine/2d/Node.h"

#include <new>

namespace engine {

RotateBy* RotateBy::create(float duration, float deltaAngle) {
    auto* action = new (std::nothrow) RotateBy();
    if (action && action->initWithDuration(duration)) {
        action->deltaAngle_ = Vec3(0, 0, deltaAngle);
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

RotateBy* RotateBy::create(float duration, const Vec3& deltaAngle3D) {
    auto* action = new (std::nothrow) RotateBy();
    if (action && action->initWithDuration(duration)) {
        action->deltaAngle_ = deltaAngle3D;
        action->is3D_ = true;
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

void RotateBy::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    startAngle_ = is3D_ ? target->getRotation3D() : Vec3(0, 0, target->getRotation());
}

void RotateBy::update(float time) {
    if (!target_) {
        return;
    }
    const Vec3 angle = startAngle_ + deltaAngle_ * time;
    if (is3D_) {
        target_->setRotation3D(angle);
    } else {
        target_->setRotation(angle.z);
    }
}

RotateBy* RotateBy::clone() const {
    return is3D_ ? create(duration_, deltaAngle_) : create(duration_, deltaAngle_.z);
}

} // namespace engine
