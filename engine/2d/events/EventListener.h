#pragma once

#include "engine/base/Ref.h"

#include <functional>
#include <string>

namespace engine {

class Event;
class EventDispatcher;
class Node;

// Base of all listeners. A listener is registered either with a node
// (scene-graph priority: asked in drawing order, top first, and only while the
// node is running) or with a fixed priority (negative before the scene graph,
// positive after it). One listener object is registered at most once (a second
// registration is a programming error: it asserts in debug builds and is
// ignored otherwise); use `clone` to register the same handlers for several
// nodes.
class EventListener : public Ref {
public:
    enum class Type {
        UNKNOWN,
        TOUCH_ONE_BY_ONE,
        TOUCH_ALL_AT_ONCE,
        KEYBOARD,
        MOUSE,
        ACCELERATION,
        FOCUS,
        GAME_CONTROLLER,
        CUSTOM
    };
    using ListenerID = std::string;

    ~EventListener() override;

    virtual bool checkAvailable() = 0;
    virtual EventListener* clone() = 0;

    // A disabled listener stays registered but receives nothing.
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool isEnabled() const { return enabled_; }

    Type getType() const { return type_; }
    const ListenerID& getListenerID() const { return listenerID_; }
    Node* getAssociatedNode() const { return node_; }
    int getFixedPriority() const { return fixedPriority_; }
    bool isRegistered() const { return registered_; }
    bool isPaused() const { return paused_; }

protected:
    EventListener();
    // The dispatcher this listener is registered with, or null.
    EventDispatcher* getDispatcher() const { return dispatcher_; }
    bool init(Type type, const ListenerID& listenerID, std::function<void(Event*)> callback);

    std::function<void(Event*)> onEvent_;

private:
    friend class EventDispatcher;

    void setPaused(bool paused) { paused_ = paused; }
    void setRegistered(EventDispatcher* dispatcher) {
        dispatcher_ = dispatcher;
        registered_ = dispatcher != nullptr;
    }
    void setAssociatedNode(Node* node) { node_ = node; }
    void setFixedPriority(int priority) { fixedPriority_ = priority; }

    Type type_ = Type::UNKNOWN;
    ListenerID listenerID_;
    bool enabled_ = true;
    bool paused_ = false;
    bool registered_ = false;
    Node* node_ = nullptr;
    EventDispatcher* dispatcher_ = nullptr;
    int fixedPriority_ = 0;
};

} // namespace engine
