#pragma once

#include "engine/2d/events/EventListener.h"

#include <functional>
#include <vector>

namespace engine {

class Event;
class Touch;

// Receives each touch on its own. `onTouchBegan` returns whether the listener
// claims the touch; only a claimed touch is followed by moved, ended and
// cancelled. A swallowing listener that claims or follows a touch hides it
// from every listener after it. Swallowing may be switched on while a touch is
// held: the listeners after this one that also claimed the touch get
// onTouchCancelled at once and nothing more of it (they would otherwise wait
// for an end that never reaches them).
class EventListenerTouchOneByOne : public EventListener {
public:
    static const ListenerID LISTENER_ID;

    using ccTouchBeganCallback = std::function<bool(Touch*, Event*)>;
    using ccTouchCallback = std::function<void(Touch*, Event*)>;

    static EventListenerTouchOneByOne* create();
    ~EventListenerTouchOneByOne() override;

    void setSwallowTouches(bool needSwallow);
    bool isSwallowTouches() const { return needSwallow_; }

    // Copies the handlers and the swallowing flag, not the claimed touches: a
    // clone registered while a touch is held hears nothing of that touch.
    EventListenerTouchOneByOne* clone() override;
    // A listener without onTouchBegan cannot be registered.
    bool checkAvailable() override;

    ccTouchBeganCallback onTouchBegan;
    ccTouchCallback onTouchMoved;
    ccTouchCallback onTouchEnded;
    ccTouchCallback onTouchCancelled;

private:
    friend class EventDispatcher;

    EventListenerTouchOneByOne();
    bool init();

    std::vector<Touch*> claimedTouches_;
    bool needSwallow_ = false;
};

} // namespace engine
