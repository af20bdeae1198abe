#include "engine/2d/events/EventListenerCustom.h"

#include "engine/2d/events/EventCustom.h"

#include <new>

namespace engine {

EventListenerCustom::EventListenerCustom() = default;

EventListenerCustom::~EventListenerCustom() = default;

EventListenerCustom* EventListenerCustom::create(const std::string& eventName,
                                                 const std::function<void(EventCustom*)>& callback) {
    auto* listener = new (std::nothrow) EventListenerCustom();
    if (listener && listener->init(eventName, callback)) {
        listener->autorelease();
        return listener;
    }
    delete listener;
    return nullptr;
}

bool EventListenerCustom::init(const ListenerID& listenerId,
                               const std::function<void(EventCustom*)>& callback) {
    onCustomEvent_ = callback;
    return EventListener::init(Type::CUSTOM, listenerId, [this](Event* event) {
        if (onCustomEvent_) {
            const std::function<void(EventCustom*)> call = onCustomEvent_;
            call(static_cast<EventCustom*>(event));
        }
    });
}

bool EventListenerCustom::checkAvailable() {
    return static_cast<bool>(onCustomEvent_);
}

EventListenerCustom* EventListenerCustom::clone() {
    return create(getListenerID(), onCustomEvent_);
}

} // namespace engine
