#include "engine/2d/events/EventDispatcher.h"

#include "engine/2d/Node.h"
#include "engine/2d/events/EventCustom.h"
#include "engine/2d/events/EventListenerCustom.h"
#include "engine/2d/events/EventListenerKeyboard.h"
#include "engine/2d/events/EventListenerMouse.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/EventMouse.h"
#include "engine/2d/events/EventTouch.h"
#include "engine/2d/events/SceneGraphOrder.h"
#include "engine/2d/events/Touch.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <unordered_set>

namespace engine {

namespace {

template <typename T> void eraseOne(std::vector<T*>& list, const T* item) {
    auto found = std::find(list.begin(), list.end(), item);
    if (found != list.end()) {
        list.erase(found);
    }
}

} // namespace

EventDispatcher::EventDispatcher() = default;

EventDispatcher::~EventDispatcher() {
    removeAllEventListeners();
    purgeRemovedListeners();
}

// --- registration ---

void EventDispatcher::addEventListenerWithSceneGraphPriority(EventListener* listener, Node* node) {
    assert(!(listener && listener->isRegistered()) && "a listener is registered once; register a clone");
    if (!listener || !node || listener->isRegistered() || !listener->checkAvailable()) {
        return;
    }
    listener->setAssociatedNode(node);
    listener->setFixedPriority(0);
    addListener(listener);
}

void EventDispatcher::addEventListenerWithFixedPriority(EventListener* listener, int fixedPriority) {
    assert(!(listener && listener->isRegistered()) && "a listener is registered once; register a clone");
    if (!listener || fixedPriority == 0 || listener->isRegistered() || !listener->checkAvailable()) {
        return;
    }
    listener->setAssociatedNode(nullptr);
    listener->setFixedPriority(fixedPriority);
    addListener(listener);
}

EventListenerCustom*
EventDispatcher::addCustomEventListener(const std::string& eventName,
                                        const std::function<void(EventCustom*)>& callback) {
    EventListenerCustom* listener = EventListenerCustom::create(eventName, callback);
    addEventListenerWithFixedPriority(listener, 1);
    return listener;
}

void EventDispatcher::addListener(EventListener* listener) {
    listener->retain();
    listener->setRegistered(this);
    if (Node* node = listener->getAssociatedNode()) {
        listener->setPaused(!node->isRunning());
    } else {
        listener->setPaused(false);
    }
    if (dispatchDepth_ > 0) {
        toAdd_.push_back(listener); // joins the lists when the dispatch is over
    } else {
        forceAddListener(listener);
    }
}

void EventDispatcher::forceAddListener(EventListener* listener) {
    ListenerList& list = listeners_[listener->getListenerID()];
    if (Node* node = listener->getAssociatedNode()) {
        list.sceneGraph.push_back(listener);
        nodeListeners_[node].push_back(listener);
    } else {
        list.fixed.push_back(listener);
    }
}

// --- removal ---

void EventDispatcher::unregister(EventListener* listener) {
    if (!listener || !listener->isRegistered()) {
        return;
    }
    listener->setRegistered(nullptr);
    auto pending = std::find(toAdd_.begin(), toAdd_.end(), listener);
    if (pending != toAdd_.end()) {
        toAdd_.erase(pending);
        listener->setAssociatedNode(nullptr);
        listener->release();
        return;
    }
    if (Node* node = listener->getAssociatedNode()) {
        auto found = nodeListeners_.find(node);
        if (found != nodeListeners_.end()) {
            eraseOne(found->second, listener);
            if (found->second.empty()) {
                nodeListeners_.erase(found);
            }
        }
    }
    listener->setAssociatedNode(nullptr); // the node may be gone before the purge
    toRelease_.push_back(listener);
    if (dispatchDepth_ == 0) {
        purgeRemovedListeners();
    }
}

void EventDispatcher::purgeRemovedListeners() {
    // A listener removed and registered again during one dispatch is in both
    // toRelease_ and toAdd_: its old place goes here, the new one is added after.
    const std::unordered_set<const EventListener*> removed(toRelease_.begin(), toRelease_.end());
    for (auto it = listeners_.begin(); it != listeners_.end();) {
        auto unregistered = [&removed](const EventListener* l) {
            return !l->isRegistered() || removed.count(l) > 0;
        };
        auto& fixed = it->second.fixed;
        auto& sceneGraph = it->second.sceneGraph;
        fixed.erase(std::remove_if(fixed.begin(), fixed.end(), unregistered), fixed.end());
        sceneGraph.erase(std::remove_if(sceneGraph.begin(), sceneGraph.end(), unregistered),
                         sceneGraph.end());
        if (fixed.empty() && sceneGraph.empty()) {
            it = listeners_.erase(it);
        } else {
            ++it;
        }
    }
    std::vector<EventListener*> released;
    released.swap(toRelease_);
    for (EventListener* listener : released) {
        listener->release();
    }
}

void EventDispatcher::removeEventListener(EventListener* listener) {
    unregister(listener);
}

void EventDispatcher::removeEventListenersForType(EventListener::Type listenerType) {
    std::vector<EventListener*> doomed;
    for (const auto& [id, list] : listeners_) {
        for (EventListener* l : list.fixed) {
            if (l->getType() == listenerType)
                doomed.push_back(l);
        }
        for (EventListener* l : list.sceneGraph) {
            if (l->getType() == listenerType)
                doomed.push_back(l);
        }
    }
    for (EventListener* l : toAdd_) {
        if (l->getType() == listenerType)
            doomed.push_back(l);
    }
    for (EventListener* l : doomed) {
        unregister(l);
    }
}

void EventDispatcher::removeCustomEventListeners(const std::string& customEventName) {
    std::vector<EventListener*> doomed;
    auto found = listeners_.find(customEventName);
    if (found != listeners_.end()) {
        doomed = found->second.fixed;
        doomed.insert(doomed.end(), found->second.sceneGraph.begin(), found->second.sceneGraph.end());
    }
    for (EventListener* l : toAdd_) {
        if (l->getListenerID() == customEventName)
            doomed.push_back(l);
    }
    for (EventListener* l : doomed) {
        unregister(l);
    }
}

void EventDispatcher::removeAllEventListeners() {
    std::vector<EventListener*> doomed = toAdd_;
    for (const auto& [id, list] : listeners_) {
        doomed.insert(doomed.end(), list.fixed.begin(), list.fixed.end());
        doomed.insert(doomed.end(), list.sceneGraph.begin(), list.sceneGraph.end());
    }
    for (EventListener* l : doomed) {
        unregister(l);
    }
}

void EventDispatcher::collectTargets(Node* target, bool recursive, std::vector<Node*>& out) const {
    out.push_back(target);
    if (recursive) {
        for (Node* child : target->getChildren()) {
            collectTargets(child, true, out);
        }
    }
}

void EventDispatcher::removeEventListenersForTarget(Node* target, bool recursive) {
    if (!target) {
        return;
    }
    std::vector<Node*> targets;
    collectTargets(target, recursive, targets);
    for (Node* node : targets) {
        std::vector<EventListener*> doomed;
        auto found = nodeListeners_.find(node);
        if (found != nodeListeners_.end()) {
            doomed = found->second;
        }
        for (EventListener* l : toAdd_) {
            if (l->getAssociatedNode() == node)
                doomed.push_back(l);
        }
        for (EventListener* l : doomed) {
            unregister(l);
        }
    }
}

// --- pausing, priorities ---

void EventDispatcher::pauseEventListenersForTarget(Node* target, bool recursive) {
    setPausedForTarget(target, recursive, true);
}

void EventDispatcher::resumeEventListenersForTarget(Node* target, bool recursive) {
    setPausedForTarget(target, recursive, false);
}

void EventDispatcher::setPausedForTarget(Node* target, bool recursive, bool paused) {
    if (!target) {
        return;
    }
    std::vector<Node*> targets;
    collectTargets(target, recursive, targets);
    for (Node* node : targets) {
        auto found = nodeListeners_.find(node);
        if (found != nodeListeners_.end()) {
            for (EventListener* l : found->second)
                l->setPaused(paused);
        }
        for (EventListener* l : toAdd_) {
            if (l->getAssociatedNode() == node)
                l->setPaused(paused);
        }
    }
}

void EventDispatcher::setPriority(EventListener* listener, int fixedPriority) {
    if (listener && listener->isRegistered() && !listener->getAssociatedNode() && fixedPriority != 0) {
        listener->setFixedPriority(fixedPriority);
    }
}

bool EventDispatcher::hasEventListener(const EventListener::ListenerID& listenerID) const {
    auto found = listeners_.find(listenerID);
    if (found == listeners_.end()) {
        return false;
    }
    auto registered = [](const EventListener* l) { return l->isRegistered(); };
    return std::any_of(found->second.fixed.begin(), found->second.fixed.end(), registered) ||
           std::any_of(found->second.sceneGraph.begin(), found->second.sceneGraph.end(), registered);
}

// --- ordering ---

bool EventDispatcher::isReachable(const EventListener* listener) {
    if (!listener->isRegistered() || !listener->isEnabled() || listener->isPaused()) {
        return false;
    }
    const Node* node = listener->getAssociatedNode();
    if (!node) {
        return true;
    }
    if (!node->isRunning()) {
        return false;
    }
    for (const Node* ancestor = node->getParent(); ancestor; ancestor = ancestor->getParent()) {
        if (!ancestor->isVisible()) {
            return false;
        }
    }
    return true;
}

std::vector<EventListener*>
EventDispatcher::orderedListeners(const EventListener::ListenerID& listenerID,
                                  const std::function<bool(const EventListener*)>& include) {
    auto found = listeners_.find(listenerID);
    if (found == listeners_.end()) {
        return {};
    }
    std::vector<EventListener*> fixed = found->second.fixed;
    std::stable_sort(fixed.begin(), fixed.end(), [](const EventListener* a, const EventListener* b) {
        return a->getFixedPriority() < b->getFixedPriority();
    });
    std::vector<EventListener*> sceneGraph;
    for (EventListener* l : found->second.sceneGraph) {
        if (!include || include(l)) {
            sceneGraph.push_back(l);
        }
    }
    SceneGraphOrder::sortTopFirst(sceneGraph);
    std::vector<EventListener*> result;
    result.reserve(fixed.size() + sceneGraph.size());
    auto firstPositive = std::find_if(fixed.begin(), fixed.end(),
                                      [](const EventListener* l) { return l->getFixedPriority() > 0; });
    result.insert(result.end(), fixed.begin(), firstPositive);
    result.insert(result.end(), sceneGraph.begin(), sceneGraph.end());
    result.insert(result.end(), firstPositive, fixed.end());
    return result;
}

// --- dispatch ---

void EventDispatcher::dispatchEvent(Event* event) {
    if (!event) {
        return;
    }
    const bool isInput = event->getType() == Event::Type::TOUCH || event->getType() == Event::Type::MOUSE ||
                         event->getType() == Event::Type::KEYBOARD;
    if (isInput && !enabled_) {
        return;
    }
    event->retain(); // a handler may drop the last other reference
    beginDispatch();
    switch (event->getType()) {
    case Event::Type::TOUCH:
        dispatchTouchEvent(static_cast<EventTouch*>(event));
        break;
    case Event::Type::MOUSE:
        dispatchToListeners(event, EventListenerMouse::LISTENER_ID);
        break;
    case Event::Type::KEYBOARD:
        dispatchToListeners(event, EventListenerKeyboard::LISTENER_ID);
        break;
    case Event::Type::CUSTOM:
        dispatchToListeners(event, static_cast<EventCustom*>(event)->getEventName());
        break;
    default:
        break;
    }
    event->setCurrentTarget(nullptr);
    endDispatch();
    event->release();
}

void EventDispatcher::beginDispatch() {
    ++dispatchDepth_;
}

void EventDispatcher::endDispatch() {
    --dispatchDepth_;
    if (dispatchDepth_ == 0) {
        purgeRemovedListeners();
        std::vector<EventListener*> added;
        added.swap(toAdd_);
        for (EventListener* listener : added) {
            forceAddListener(listener);
        }
    }
}

void EventDispatcher::dispatchCustomEvent(const std::string& eventName, void* optionalUserData) {
    auto* event = new EventCustom(eventName);
    event->setUserData(optionalUserData);
    dispatchEvent(event);
    event->release();
}

void EventDispatcher::dispatchToListeners(Event* event, const EventListener::ListenerID& listenerID) {
    for (EventListener* listener : orderedListeners(listenerID)) {
        if (!isReachable(listener)) {
            continue;
        }
        event->setCurrentTarget(listener->getAssociatedNode());
        if (listener->onEvent_) {
            const std::function<void(Event*)> call = listener->onEvent_;
            call(event);
        }
        if (event->isStopped()) {
            return;
        }
    }
}

void EventDispatcher::dispatchTouchEvent(EventTouch* event) {
    const std::vector<Touch*> touches = event->getTouches();
    // After the start, only the listeners that hold one of these touches can
    // hear them; ordering just those keeps a moving finger cheap.
    std::function<bool(const EventListener*)> holdsOneOfThem;
    if (event->getEventCode() != EventTouch::EventCode::BEGAN) {
        holdsOneOfThem = [&touches](const EventListener* l) {
            const auto& claimed = static_cast<const EventListenerTouchOneByOne*>(l)->claimedTouches_;
            return std::any_of(claimed.begin(), claimed.end(), [&touches](const Touch* t) {
                return std::find(touches.begin(), touches.end(), t) != touches.end();
            });
        };
    }
    const std::vector<EventListener*> ordered =
        orderedListeners(EventListenerTouchOneByOne::LISTENER_ID, holdsOneOfThem);
    const bool touchFinishes = event->getEventCode() == EventTouch::EventCode::ENDED ||
                               event->getEventCode() == EventTouch::EventCode::CANCELLED;
    // Each touch on its own: a second finger is a separate claim.
    for (Touch* touch : touches) {
        if (event->getEventCode() != EventTouch::EventCode::BEGAN) {
            cancelUnreachableClaims(ordered, touch);
        }
        for (EventListener* listener : ordered) {
            if (!isReachable(listener)) {
                continue;
            }
            if (dispatchTouchToListener(static_cast<EventListenerTouchOneByOne*>(listener), touch, event) ||
                event->isStopped()) {
                break;
            }
        }
        if (touchFinishes) {
            // A listener skipped at the end (paused, hidden) must not keep the
            // touch: the Touch object is about to go and its address may return.
            for (EventListener* listener : ordered) {
                eraseTouch(static_cast<EventListenerTouchOneByOne*>(listener), touch);
            }
        }
        if (event->isStopped()) {
            return;
        }
    }
}

bool EventDispatcher::dispatchTouchToListener(EventListenerTouchOneByOne* listener, Touch* touch,
                                              EventTouch* event) {
    event->setCurrentTarget(listener->getAssociatedNode());
    auto& claimed = listener->claimedTouches_;
    bool isClaimed = false;
    if (event->getEventCode() == EventTouch::EventCode::BEGAN) {
        if (listener->onTouchBegan) {
            const auto began = listener->onTouchBegan;
            isClaimed = began(touch, event);
            if (isClaimed && listener->isRegistered()) {
                claimed.push_back(touch);
            }
        }
    } else if (std::find(claimed.begin(), claimed.end(), touch) != claimed.end()) {
        isClaimed = true;
        EventListenerTouchOneByOne::ccTouchCallback handler;
        switch (event->getEventCode()) {
        case EventTouch::EventCode::MOVED:
            handler = listener->onTouchMoved;
            break;
        case EventTouch::EventCode::ENDED:
            handler = listener->onTouchEnded;
            break;
        case EventTouch::EventCode::CANCELLED:
            handler = listener->onTouchCancelled;
            break;
        case EventTouch::EventCode::BEGAN:
            break;
        }
        if (handler) {
            handler(touch, event);
        }
        // The claim ends after the handler, so that swallowing switched on in
        // an end handler still cancels the claimers below.
        if (event->getEventCode() != EventTouch::EventCode::MOVED) {
            eraseTouch(listener, touch);
        }
    }
    // The swallowing flag is read now, so a handler that switches it on
    // already hides this event from the listeners below.
    return isClaimed && listener->isRegistered() && listener->isSwallowTouches();
}

bool EventDispatcher::holdsTouch(const EventListener* listener, const Touch* touch) {
    if (listener->getType() != EventListener::Type::TOUCH_ONE_BY_ONE) {
        return false;
    }
    const auto& claimed = static_cast<const EventListenerTouchOneByOne*>(listener)->claimedTouches_;
    return std::find(claimed.begin(), claimed.end(), touch) != claimed.end();
}

void EventDispatcher::cancelClaim(EventListenerTouchOneByOne* listener, Touch* touch) {
    if (!holdsTouch(listener, touch)) {
        return;
    }
    eraseTouch(listener, touch);
    // A disabled listener hears nothing, not even this.
    if (!listener->isRegistered() || !listener->isEnabled() || !listener->onTouchCancelled) {
        return;
    }
    auto* cancel = new EventTouch();
    cancel->setEventCode(EventTouch::EventCode::CANCELLED);
    cancel->setTouches({touch});
    cancel->setCurrentTarget(listener->getAssociatedNode());
    const auto handler = listener->onTouchCancelled;
    handler(touch, cancel);
    cancel->release();
}

void EventDispatcher::cancelUnreachableClaims(const std::vector<EventListener*>& ordered, Touch* touch) {
    for (EventListener* listener : ordered) {
        if (listener->isRegistered() && listener->isEnabled() && !isReachable(listener)) {
            cancelClaim(static_cast<EventListenerTouchOneByOne*>(listener), touch);
        }
    }
}

void EventDispatcher::cancelClaimsHiddenBy(EventListenerTouchOneByOne* swallower) {
    beginDispatch(); // handlers may add and remove listeners as in any dispatch
    const std::vector<Touch*> held = swallower->claimedTouches_;
    for (Touch* touch : held) {
        const std::vector<EventListener*> ordered =
            orderedListeners(EventListenerTouchOneByOne::LISTENER_ID,
                             [touch](const EventListener* l) { return holdsTouch(l, touch); });
        auto self = std::find(ordered.begin(), ordered.end(), swallower);
        if (self == ordered.end()) {
            continue; // the claim was given up meanwhile
        }
        // Only those after the swallower lose the touch; those before it still hear it.
        for (auto it = std::next(self); it != ordered.end(); ++it) {
            cancelClaim(static_cast<EventListenerTouchOneByOne*>(*it), touch);
        }
    }
    endDispatch();
}

void EventDispatcher::eraseTouch(EventListenerTouchOneByOne* listener, const Touch* touch) {
    auto& claimed = listener->claimedTouches_;
    claimed.erase(std::remove(claimed.begin(), claimed.end(), touch), claimed.end());
}

} // namespace engine
