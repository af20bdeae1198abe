#include "engine/2d/events/EventListenerKeyboard.h"

#include "engine/2d/events/EventKeyboard.h"

#include <new>

namespace engine {

const EventListener::ListenerID EventListenerKeyboard::LISTENER_ID = "__keyboard";

EventListenerKeyboard::EventListenerKeyboard() = default;

EventListenerKeyboard::~EventListenerKeyboard() = default;

EventListenerKeyboard* EventListenerKeyboard::create() {
    auto* listener = new (std::nothrow) EventListenerKeyboard();
    if (listener && listener->init()) {
        listener->autorelease();
        return listener;
    }
    delete listener;
    return nullptr;
}

bool EventListenerKeyboard::init() {
    return EventListener::init(Type::KEYBOARD, LISTENER_ID, [this](Event* event) {
        auto* key = static_cast<EventKeyboard*>(event);
        const std::function<void(EventKeyboard*)> call = key->isPressed() ? onKeyPressed : onKeyReleased;
        if (call) {
            call(key); // a copy: the handler may replace itself
        }
    });
}

bool EventListenerKeyboard::checkAvailable() {
    return true;
}

EventListenerKeyboard* EventListenerKeyboard::clone() {
    EventListenerKeyboard* copy = create();
    if (copy) {
        copy->onKeyPressed = onKeyPressed;
        copy->onKeyReleased = onKeyReleased;
    }
    return copy;
}

} // namespace engine
