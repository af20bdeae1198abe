#include "engine/2d/events/EventMouse.h"

namespace engine {

EventMouse::EventMouse(MouseEventType mouseEventCode) : Event(Type::MOUSE), mouseEventType_(mouseEventCode) {}

EventMouse::~EventMouse() = default;

} // namespace engine
