#include "engine/2d/events/EventKeyboard.h"

namespace engine {

EventKeyboard::EventKeyboard(KeyCode keyCode, bool pressed, unsigned modifiers, bool repeat)
    : Event(Type::KEYBOARD), keyCode_(keyCode), pressed_(pressed), modifiers_(modifiers), repeat_(repeat) {}

EventKeyboard::~EventKeyboard() = default;

} // namespace engine
