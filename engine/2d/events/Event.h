#pragma once

#include "engine/base/Ref.h"

namespace engine {

class Node;

// Base of every dispatched event. A handler may stop propagation, and while a
// scene-graph listener runs, the current target is that listener's node.
class Event : public Ref {
public:
    enum class Type { TOUCH, KEYBOARD, ACCELERATION, MOUSE, FOCUS, GAME_CONTROLLER, CUSTOM };

    explicit Event(Type type);
    ~Event() override;

    Type getType() const { return type_; }
    void stopPropagation() { stopped_ = true; }
    bool isStopped() const { return stopped_; }
    Node* getCurrentTarget() const { return currentTarget_; }

protected:
    friend class EventDispatcher;
    void setCurrentTarget(Node* target) { currentTarget_ = target; }
    void setStopped(bool stopped) { stopped_ = stopped; }

private:
    Type type_;
    bool stopped_ = false;
    Node* currentTarget_ = nullptr;
};

} // namespace engine
