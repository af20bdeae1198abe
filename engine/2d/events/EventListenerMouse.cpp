#include "engine/2d/events/EventListenerMouse.h"

#include "engine/2d/events/EventMouse.h"

#include <new>

namespace engine {

const EventListener::ListenerID EventListenerMouse::LISTENER_ID = "__mouse";

EventListenerMouse::EventListenerMouse() = default;

EventListenerMouse::~EventListenerMouse() = default;

EventListenerMouse* EventListenerMouse::create() {
    auto* listener = new (std::nothrow) EventListenerMouse();
    if (listener && listener->init()) {
        listener->autorelease();
        return listener;
    }
    delete listener;
    return nullptr;
}

bool EventListenerMouse::init() {
    return EventListener::init(Type::MOUSE, LISTENER_ID, [this](Event* event) {
        auto* mouse = static_cast<EventMouse*>(event);
        const std::function<void(EventMouse*)>* handler = nullptr;
        switch (mouse->getMouseEventType()) {
        case EventMouse::MouseEventType::MOUSE_DOWN:
            handler = &onMouseDown;
            break;
        case EventMouse::MouseEventType::MOUSE_UP:
            handler = &onMouseUp;
            break;
        case EventMouse::MouseEventType::MOUSE_MOVE:
            handler = &onMouseMove;
            break;
        case EventMouse::MouseEventType::MOUSE_SCROLL:
            handler = &onMouseScroll;
            break;
        case EventMouse::MouseEventType::MOUSE_NONE:
            break;
        }
        if (handler && *handler) {
            const std::function<void(EventMouse*)> call = *handler; // may be replaced inside
            call(mouse);
        }
    });
}

bool EventListenerMouse::checkAvailable() {
    return true;
}

EventListenerMouse* EventListenerMouse::clone() {
    EventListenerMouse* copy = create();
    if (copy) {
        copy->onMouseDown = onMouseDown;
        copy->onMouseUp = onMouseUp;
        copy->onMouseMove = onMouseMove;
        copy->onMouseScroll = onMouseScroll;
    }
    return copy;
}

} // namespace engine
