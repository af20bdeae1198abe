#pragma once

#include "engine/2d/events/EventListener.h"

#include <functional>

namespace engine {

class EventMouse;

// Mouse buttons, moves and the wheel. Every registered mouse listener hears
// every mouse event (in priority order) unless one stops propagation.
class EventListenerMouse : public EventListener {
public:
    static const ListenerID LISTENER_ID;

    static EventListenerMouse* create();
    ~EventListenerMouse() override;

    EventListenerMouse* clone() override;
    bool checkAvailable() override;

    std::function<void(EventMouse*)> onMouseDown;
    std::function<void(EventMouse*)> onMouseUp;
    std::function<void(EventMouse*)> onMouseMove;
    std::function<void(EventMouse*)> onMouseScroll;

private:
    EventListenerMouse();
    bool init();
};

} // namespace engine
