#include "engine/2d/actions/EaseExponentialOut.h"

#include <cmath>
#include <new>

namespace engine {

EaseExponentialOut* EaseExponentialOut::create(ActionInterval* action) {
    auto* ease = new (std::nothrow) EaseExponentialOut();
    if (ease && ease->initWithAction(action)) {
        ease->autorelease();
        return ease;
    }
    delete ease;
    return nullptr;
}

float EaseExponentialOut::ease(float time) {
    return time == 1.0f ? 1.0f : 1.0f - std::pow(2.0f, -10.0f * time);
}

void EaseExponentialOut::update(float time) {
    inner_->update(ease(time));
}

EaseExponentialOut* EaseExponentialOut::clone() const {
    return create(inner_->clone());
}

} // namespace engine
