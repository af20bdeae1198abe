#pragma once

#include "engine/base/Ref.h"

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

namespace engine {

class Action;
class Node;

// Steps every running action once per frame. A target with actions is
// retained until its last action is gone, so a node removed from inside its
// own action's callback stays valid until the step is over. Added actions are
// retained and released when they finish or are removed. Adding and removing
// actions, targets included, is safe while `update` runs.
class ActionManager : public Ref {
public:
    ActionManager();
    ~ActionManager() override;

    // Starts `action` on `target` at once (startWithTarget); it is first
    // stepped in the next `update`, or later in the current one when added
    // while updating.
    void addAction(Action* action, Node* target, bool paused);

    void removeAllActions();
    void removeAllActionsFromTarget(Node* target);
    void removeAction(Action* action);
    // Removes the first action with `tag` on `target`.
    void removeActionByTag(int tag, Node* target);
    void removeAllActionsByTag(int tag, Node* target);

    Action* getActionByTag(int tag, const Node* target) const;
    std::size_t getNumberOfRunningActionsInTarget(const Node* target) const;
    std::size_t getNumberOfRunningActions() const;
    // Whether any action of a target that is not paused is running.
    bool hasActiveActions() const;

    void pauseTarget(Node* target);
    void resumeTarget(Node* target);

    void update(float dt);

private:
    struct TargetEntry;

    TargetEntry* findEntry(const Node* target) const;
    void removeActionAtIndex(std::size_t index, TargetEntry& entry);
    void deleteEntryIfUnused(const Node* target);

    std::vector<std::shared_ptr<TargetEntry>> entries_; // in order of first action
    std::unordered_map<const Node*, std::shared_ptr<TargetEntry>> entriesByTarget_;
    TargetEntry* currentEntry_ = nullptr;
    bool currentEntrySalvaged_ = false;
    bool updating_ = false;
};

} // namespace engine
