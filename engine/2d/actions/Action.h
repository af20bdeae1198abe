#pragma once

#include "engine/base/Ref.h"

namespace engine {

class Node;

// Something that changes a node over time. The action manager calls
// `startWithTarget` when the action is added, then `step` once per frame with
// that frame's dt until `isDone`, then `stop`. `update` receives the progress
// (0 to 1 for actions with a duration).
class Action : public Ref {
public:
    static constexpr int INVALID_TAG = -1;

    ~Action() override;

    // A fresh, unstarted copy (autoreleased).
    virtual Action* clone() const = 0;

    virtual bool isDone() const;
    virtual void startWithTarget(Node* target);
    // Called when the action finishes or is removed; the target is forgotten.
    virtual void stop();
    virtual void step(float dt);
    virtual void update(float time);

    Node* getTarget() const { return target_; }
    void setTarget(Node* target) { target_ = target; }
    // The node the action was started on, kept after `stop`.
    Node* getOriginalTarget() const { return originalTarget_; }
    void setOriginalTarget(Node* target) { originalTarget_ = target; }

    int getTag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

protected:
    Action();

    Node* target_ = nullptr;
    Node* originalTarget_ = nullptr;
    int tag_ = INVALID_TAG;
};

} // namespace engine
