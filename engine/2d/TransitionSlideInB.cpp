#include "engine/2d/TransitionSlideInB.h"

#include "engine/2d/Director.h"

namespace engine {

namespace {
// The scenes overlap by half a unit so that no seam shows between them.
constexpr float kAdjustFactor = 0.5f;
} // namespace

TransitionSlideInB* TransitionSlideInB::create(float duration, Scene* scene) {
    return createTransition(new TransitionSlideInB(), duration, scene);
}

Vec2 TransitionSlideInB::startOffset() const {
    return Vec2(0, -(Director::getInstance()->getWinSize().height - kAdjustFactor));
}

} // namespace engine
