#include "engine/2d/events/Touch.h"

namespace engine {

Touch::Touch() = default;

Touch::~Touch() = default;

void Touch::setTouchInfo(int id, const Vec2& locationInView, const Vec2& location) {
    id_ = id;
    previousLocation_ = location_;
    previousLocationInView_ = locationInView_;
    location_ = location;
    locationInView_ = locationInView;
    if (!startCaptured_) {
        startCaptured_ = true;
        startLocation_ = location;
        startLocationInView_ = locationInView;
        previousLocation_ = location;
        previousLocationInView_ = locationInView;
    }
}

} // namespace engine
