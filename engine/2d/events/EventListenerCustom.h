#pragma once

#include "engine/2d/events/EventListener.h"

#include <functional>
#include <string>

namespace engine {

class EventCustom;

// Hears the custom events of one name.
class EventListenerCustom : public EventListener {
public:
    static EventListenerCustom* create(const std::string& eventName,
                                       const std::function<void(EventCustom*)>& callback);
    ~EventListenerCustom() override;

    bool checkAvailable() override;
    EventListenerCustom* clone() override;

private:
    EventListenerCustom();
    bool init(const ListenerID& listenerId, const std::function<void(EventCustom*)>& callback);

    std::function<void(EventCustom*)> onCustomEvent_;
};

} // namespace engine
