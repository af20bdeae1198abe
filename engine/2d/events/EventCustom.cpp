#include "engine/2d/events/EventCustom.h"

namespace engine {

EventCustom::EventCustom(const std::string& eventName) : Event(Type::CUSTOM), eventName_(eventName) {}

EventCustom::~EventCustom() = default;

} // namespace engine
