#pragma once

#include "engine/2d/events/EventListener.h"
#include "engine/base/Ref.h"

#include <functional>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

class Event;
class EventCustom;
class EventListenerCustom;
class EventListenerTouchOneByOne;
class EventMouse;
class EventTouch;
class Node;
class Touch;

// Delivers events to listeners. Listeners registered with a node are asked in
// drawing order, the node drawn last first (children with negative local z,
// then the node, then its other children; equal z in order of arrival), and
// only while the node is running, not paused and not inside an invisible
// ancestor. Fixed-priority listeners with a negative priority come before
// them and positive ones after, lowest first.
//
// Registered listeners are retained until removed. Listeners may be added and
// removed from inside a handler: additions wait for the end of the outermost
// dispatch, removals take effect at once (the removed listener hears nothing
// more) and are purged afterwards.
//
// A touch listener never waits for an end that cannot reach it: a claimer
// that is no longer reachable (an ancestor hidden, its node paused or out of
// the running scene) gets onTouchCancelled at the touch's next event, and one
// hidden by a listener above that switches swallowing on gets it at once;
// either way it hears nothing more of that touch.
//
// Nodes call removeEventListenersForTarget when they are destroyed, and
// pause/resumeEventListenersForTarget from onExit/onEnter.
class EventDispatcher : public Ref {
public:
    EventDispatcher();
    ~EventDispatcher() override;

    void addEventListenerWithSceneGraphPriority(EventListener* listener, Node* node);
    // `fixedPriority` must not be 0 (that place belongs to the scene graph).
    void addEventListenerWithFixedPriority(EventListener* listener, int fixedPriority);
    // Registers a custom listener with fixed priority 1 and returns it.
    EventListenerCustom* addCustomEventListener(const std::string& eventName,
                                                const std::function<void(EventCustom*)>& callback);

    void removeEventListener(EventListener* listener);
    void removeEventListenersForType(EventListener::Type listenerType);
    void removeEventListenersForTarget(Node* target, bool recursive = false);
    void removeCustomEventListeners(const std::string& customEventName);
    void removeAllEventListeners();

    void pauseEventListenersForTarget(Node* target, bool recursive = false);
    void resumeEventListenersForTarget(Node* target, bool recursive = false);

    void setPriority(EventListener* listener, int fixedPriority);

    // While disabled, touch and mouse events are dropped (a scene transition
    // blocks input); custom events are still delivered.
    void setEnabled(bool isEnabled) { enabled_ = isEnabled; }
    bool isEnabled() const { return enabled_; }

    void dispatchEvent(Event* event);
    void dispatchCustomEvent(const std::string& eventName, void* optionalUserData = nullptr);

    bool hasEventListener(const EventListener::ListenerID& listenerID) const;
    bool isDispatching() const { return dispatchDepth_ > 0; }

private:
    friend class EventListenerTouchOneByOne;

    // All listeners of one listener id, split by kind of priority.
    struct ListenerList {
        std::vector<EventListener*> fixed;      // sorted by priority when dispatched
        std::vector<EventListener*> sceneGraph; // sorted by drawing order when dispatched
    };

    void addListener(EventListener* listener);
    void forceAddListener(EventListener* listener);
    void unregister(EventListener* listener);
    void purgeRemovedListeners();
    void collectTargets(Node* target, bool recursive, std::vector<Node*>& out) const;
    void setPausedForTarget(Node* target, bool recursive, bool paused);

    // Listeners of `listenerID` in dispatch order; scene-graph listeners only
    // when `include` (if given) accepts them.
    std::vector<EventListener*>
    orderedListeners(const EventListener::ListenerID& listenerID,
                     const std::function<bool(const EventListener*)>& include = {});
    static bool isReachable(const EventListener* listener);

    void beginDispatch();
    // Ends a dispatch; the outermost one purges removals and adds waiting listeners.
    void endDispatch();

    void dispatchTouchEvent(EventTouch* event);
    // Returns whether the touch stops at this listener (claimed and swallowed).
    bool dispatchTouchToListener(EventListenerTouchOneByOne* listener, Touch* touch, EventTouch* event);
    static void eraseTouch(EventListenerTouchOneByOne* listener, const Touch* touch);
    static bool holdsTouch(const EventListener* listener, const Touch* touch);
    // Drops the claim and tells the listener with onTouchCancelled.
    void cancelClaim(EventListenerTouchOneByOne* listener, Touch* touch);
    void cancelUnreachableClaims(const std::vector<EventListener*>& ordered, Touch* touch);
    // Called when `swallower` switches swallowing on: cancels the claims, on
    // its touches, of the listeners after it.
    void cancelClaimsHiddenBy(EventListenerTouchOneByOne* swallower);
    void dispatchToListeners(Event* event, const EventListener::ListenerID& listenerID);

    std::map<EventListener::ListenerID, ListenerList> listeners_;
    std::unordered_map<const Node*, std::vector<EventListener*>> nodeListeners_;
    std::vector<EventListener*> toAdd_;
    std::vector<EventListener*> toRelease_;
    int dispatchDepth_ = 0;
    bool enabled_ = true;
};

} // namespace engine
