#include "engine/2d/actions/DelayTime.h"

#include <new>

namespace engine {

DelayTime* DelayTime::create(float duration) {
    auto* action = new (std::nothrow) DelayTime();
    if (action && action->initWithDuration(duration)) {
        action->autorelease();
        return action;
    }
    delete action;
    return nullptr;
}

void DelayTime::update(float) {}

DelayTime* DelayTime::clone() const {
    return create(duration_);
}

} // namespace engine
