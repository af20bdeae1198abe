#include "engine/2d/TransitionSlideIn.h"

#include <algorithm>
#include <cmath>

namespace engine {

namespace {
constexpr const char* kSlideKey = "TransitionSlideIn.slide";
} // namespace

void TransitionSlideIn::onEnter() {
    TransitionScene::onEnter();
    const Vec2 start = startOffset();
    inScene_->setPosition(start);
    outScene_->setPosition(0, 0);
    elapsed_ = 0;
    schedule(
        [this, start](float dt) {
            elapsed_ += dt;
            const float t = duration_ > 0 ? std::min(1.0f, elapsed_ / duration_) : 1.0f;
            const float eased = std::sqrt(t);
            inScene_->setPosition(start - start * eased);
            outScene_->setPosition(-start * eased);
            if (t >= 1.0f) {
                unschedule(kSlideKey);
                finish();
            }
        },
        kSlideKey);
}

} // namespace engine
