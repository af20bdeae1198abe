#include "engine/2d/events/EventListenerTouchOneByOne.h"

#include "engine/2d/events/EventDispatcher.h"

#include <new>

namespace engine {

const EventListener::ListenerID EventListenerTouchOneByOne::LISTENER_ID = "__touch_one_by_one";

EventListenerTouchOneByOne::EventListenerTouchOneByOne() = default;

EventListenerTouchOneByOne::~EventListenerTouchOneByOne() = default;

EventListenerTouchOneByOne* EventListenerTouchOneByOne::create() {
    auto* listener = new (std::nothrow) EventListenerTouchOneByOne();
    if (listener && listener->init()) {
        listener->autorelease();
        return listener;
    }
    delete listener;
    return nullptr;
}

bool EventListenerTouchOneByOne::init() {
    // Touches are dispatched by the dispatcher itself, phase by phase.
    return EventListener::init(Type::TOUCH_ONE_BY_ONE, LISTENER_ID, nullptr);
}

void EventListenerTouchOneByOne::setSwallowTouches(bool needSwallow) {
    const bool turnedOn = needSwallow && !needSwallow_;
    needSwallow_ = needSwallow;
    if (turnedOn && !claimedTouches_.empty() && getDispatcher()) {
        getDispatcher()->cancelClaimsHiddenBy(this);
    }
}

bool EventListenerTouchOneByOne::checkAvailable() {
    return static_cast<bool>(onTouchBegan);
}

EventListenerTouchOneByOne* EventListenerTouchOneByOne::clone() {
    EventListenerTouchOneByOne* copy = create();
    if (copy) {
        copy->onTouchBegan = onTouchBegan;
        copy->onTouchMoved = onTouchMoved;
        copy->onTouchEnded = onTouchEnded;
        copy->onTouchCancelled = onTouchCancelled;
        copy->needSwallow_ = needSwallow_;
    }
    return copy;
}

} // namespace engine
