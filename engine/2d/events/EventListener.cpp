#include "engine/2d/events/EventListener.h"

#include <utility>

namespace engine {

EventListener::EventListener() = default;

EventListener::~EventListener() = default;

bool EventListener::init(Type type, const ListenerID& listenerID, std::function<void(Event*)> callback) {
    type_ = type;
    listenerID_ = listenerID;
    onEvent_ = std::move(callback);
    registered_ = false;
    paused_ = true;
    enabled_ = true;
    return true;
}

} // namespace engine
