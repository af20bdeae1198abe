#include "engine/2d/events/EventTouch.h"

namespace engine {

EventTouch::EventTouch() : Event(Type::TOUCH) {
    touches_.reserve(MAX_TOUCHES);
}

EventTouch::~EventTouch() = default;

} // namespace engine
