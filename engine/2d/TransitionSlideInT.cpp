#include "engine/2d/TransitionSlideInT.h"

#include "engine/2d/Director.h"

namespace engine {

namespace {
// The scenes overlap by half a unit so that no seam shows between them.
constexpr float kAdjustFactor = 0.5f;
} // namespace

TransitionSlideInT* TransitionSlideInT::create(float duration, Scene* scene) {
    return createTransition(new TransitionSlideInT(), duration, scene);
}

Vec2 TransitionSlideInT::startOffset() const {
    return Vec2(0, Director::getInstance()->getWinSize().height - kAdjustFactor);
}

} // namespace engine
