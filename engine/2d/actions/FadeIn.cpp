#include "engine/2d/actions/FadeIn.h"

#include <new>

namespace engine {

FadeIn* FadeIn::create(float duration) {
    auto* action = new (std::nothrow) FadeIn();
    if (action && action->initWithDuration(duration, 255)) {
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

FadeIn* FadeIn::clone() const {
    return create(duration_);
}

} // namespace engine
