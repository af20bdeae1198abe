#include "engine/2d/actions/FadeOut.h"

#include <new>

namespace engine {

FadeOut* FadeOut::create(float duration) {
    auto* action = new (std::nothrow) FadeOut();
    if (action && action->initWithDuration(duration, 0)) {
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

FadeOut* FadeOut::clone() const {
    return create(duration_);
}

} // namespace engine
