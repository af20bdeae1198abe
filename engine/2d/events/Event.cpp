#include "engine/2d/events/Event.h"

namespace engine {

Event::Event(Type type) : type_(type) {}

Event::~Event() = default;

} // namespace engine
