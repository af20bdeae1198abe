#pragma once

#include "engine/2d/events/EventListener.h"

#include <functional>

namespace engine {

class EventKeyboard;

// Key presses and releases. Every registered keyboard listener hears every
// key event (in priority order) unless one stops propagation.
class EventListenerKeyboard : public EventListener {
public:
    static const ListenerID LISTENER_ID;

    static EventListenerKeyboard* create();
    ~EventListenerKeyboard() override;

    EventListenerKeyboard* clone() override;
    bool checkAvailable() override;

    std::function<void(EventKeyboard*)> onKeyPressed;
    std::function<void(EventKeyboard*)> onKeyReleased;

private:
    EventListenerKeyboard();
    bool init();
};

} // namespace engine
