#include "engine/2d/actions/ActionManager.h"

#include "engine/2d/Node.h"
#include "engine/2d/actions/Action.h"

#include <algorithm>

namespace engine {

struct ActionManager::TargetEntry {
    Node* target = nullptr;       // retained while the entry exists
    std::vector<Action*> actions; // retained
    std::size_t actionIndex = 0;
    Action* currentAction = nullptr;
    bool currentActionSalvaged = false;
    bool paused = false;
    bool removed = false;
};

ActionManager::ActionManager() = default;

ActionManager::~ActionManager() {
    removeAllActions();
}

void ActionManager::addAction(Action* action, Node* target, bool paused) {
    if (!action || !target) {
        return;
    }
    TargetEntry* entry = findEntry(target);
    if (!entry) {
        auto created = std::make_shared<TargetEntry>();
        created->target = target;
        created->paused = paused;
        target->retain();
        entries_.push_back(created);
        entriesByTarget_[target] = created;
        entry = created.get();
    }
    if (std::find(entry->actions.begin(), entry->actions.end(), action) != entry->actions.end()) {
        return; // already running on this target
    }
    action->retain();
    entry->actions.push_back(action);
    action->startWithTarget(target);
}

void ActionManager::removeAllActions() {
    std::vector<Node*> targets;
    for (const auto& entry : entries_) {
        if (!entry->removed) {
            targets.push_back(entry->target);
        }
    }
    for (Node* target : targets) {
        removeAllActionsFromTarget(target);
    }
}

void ActionManager::removeAllActionsFromTarget(Node* target) {
    TargetEntry* entry = findEntry(target);
    if (!entry) {
        return;
    }
    if (entry->currentAction && !entry->currentActionSalvaged &&
        std::find(entry->actions.begin(), entry->actions.end(), entry->currentAction) !=
            entry->actions.end()) {
        // The action being stepped must outlive its own step.
        entry->currentAction->retain();
        entry->currentActionSalvaged = true;
    }
    std::vector<Action*> actions;
    actions.swap(entry->actions);
    for (Action* action : actions) {
        action->release();
    }
    if (entry == currentEntry_) {
        currentEntrySalvaged_ = true;
    } else {
        deleteEntryIfUnused(target);
    }
}

void ActionManager::removeAction(Action* action) {
    if (!action) {
        return;
    }
    TargetEntry* entry = findEntry(action->getOriginalTarget());
    if (!entry) {
        return;
    }
    auto found = std::find(entry->actions.begin(), entry->actions.end(), action);
    if (found != entry->actions.end()) {
        removeActionAtIndex(static_cast<std::size_t>(found - entry->actions.begin()), *entry);
    }
}

void ActionManager::removeActionByTag(int tag, Node* target) {
    TargetEntry* entry = findEntry(target);
    if (!entry) {
        return;
    }
    for (std::size_t i = 0; i < entry->actions.size(); ++i) {
        if (entry->actions[i]->getTag() == tag) {
            removeActionAtIndex(i, *entry);
            return;
        }
    }
}

void ActionManager::removeAllActionsByTag(int tag, Node* target) {
    TargetEntry* entry = findEntry(target);
    if (!entry) {
        return;
    }
    std::size_t i = 0;
    while (entry && i < entry->actions.size()) {
        if (entry->actions[i]->getTag() == tag) {
            removeActionAtIndex(i, *entry);
            entry = findEntry(target); // the entry may be gone with its last action
        } else {
            ++i;
        }
    }
}

void ActionManager::removeActionAtIndex(std::size_t index, TargetEntry& entry) {
    Action* action = entry.actions[index];
    if (action == entry.currentAction && !entry.currentActionSalvaged) {
        entry.currentAction->retain();
        entry.currentActionSalvaged = true;
    }
    entry.actions.erase(entry.actions.begin() + static_cast<std::ptrdiff_t>(index));
    action->release();
    // Keep the update loop on the action that followed the removed one.
    if (entry.actionIndex >= index) {
        --entry.actionIndex; // wraps below zero and back on the loop's ++, by design
    }
    if (entry.actions.empty()) {
        if (&entry == currentEntry_) {
            currentEntrySalvaged_ = true;
        } else {
            deleteEntryIfUnused(entry.target);
        }
    }
}

Action* ActionManager::getActionByTag(int tag, const Node* target) const {
    const TargetEntry* entry = findEntry(target);
    if (!entry) {
        return nullptr;
    }
    for (Action* action : entry->actions) {
        if (action->getTag() == tag) {
            return action;
        }
    }
    return nullptr;
}

std::size_t ActionManager::getNumberOfRunningActionsInTarget(const Node* target) const {
    const TargetEntry* entry = findEntry(target);
    return entry ? entry->actions.size() : 0;
}

std::size_t ActionManager::getNumberOfRunningActions() const {
    std::size_t count = 0;
    for (const auto& entry : entries_) {
        if (!entry->removed) {
            count += entry->actions.size();
        }
    }
    return count;
}

bool ActionManager::hasActiveActions() const {
    return std::any_of(entries_.begin(), entries_.end(), [](const auto& entry) {
        return !entry->removed && !entry->paused && !entry->actions.empty();
    });
}

void ActionManager::pauseTarget(Node* target) {
    if (TargetEntry* entry = findEntry(target)) {
        entry->paused = true;
    }
}

void ActionManager::resumeTarget(Node* target) {
    if (TargetEntry* entry = findEntry(target)) {
        entry->paused = false;
    }
}

void ActionManager::update(float dt) {
    const bool outermost = !updating_;
    updating_ = true;
    // Entries are only appended while updating (removed ones are flagged), so
    // indices stay valid; targets added during the loop are stepped this frame.
    for (std::size_t e = 0; e < entries_.size(); ++e) {
        const std::shared_ptr<TargetEntry> entry = entries_[e];
        if (entry->removed) {
            continue;
        }
        currentEntry_ = entry.get();
        currentEntrySalvaged_ = false;

        if (!entry->paused) {
            for (entry->actionIndex = 0; entry->actionIndex < entry->actions.size(); ++entry->actionIndex) {
                Action* action = entry->actions[entry->actionIndex];
                entry->currentAction = action;
                entry->currentActionSalvaged = false;

                action->step(dt);

                if (entry->currentActionSalvaged) {
                    // Removed during its own step; it was kept alive for the step.
                    action->release();
                } else if (action->isDone()) {
                    action->stop();
                    entry->currentAction = nullptr; // so that removeAction does not salvage it
                    removeAction(action);
                }
                entry->currentAction = nullptr;
                if (entry->removed) {
                    break;
                }
            }
        }

        currentEntry_ = nullptr;
        if (entry->removed) {
            continue;
        }
        // Drop the entry when its actions are gone (unless some were added
        // meanwhile) or when only this manager still holds the target.
        if ((currentEntrySalvaged_ && entry->actions.empty()) || entry->target->getReferenceCount() == 1) {
            deleteEntryIfUnused(entry->target);
        }
    }
    currentEntry_ = nullptr;
    if (outermost) {
        updating_ = false;
        entries_.erase(
            std::remove_if(entries_.begin(), entries_.end(),
                           [](const std::shared_ptr<TargetEntry>& entry) { return entry->removed; }),
            entries_.end());
    }
}

ActionManager::TargetEntry* ActionManager::findEntry(const Node* target) const {
    if (!target) {
        return nullptr;
    }
    auto found = entriesByTarget_.find(target);
    return found == entriesByTarget_.end() ? nullptr : found->second.get();
}

void ActionManager::deleteEntryIfUnused(const Node* target) {
    auto found = entriesByTarget_.find(target);
    if (found == entriesByTarget_.end()) {
        return;
    }
    std::shared_ptr<TargetEntry> entry = found->second;
    for (Action* action : entry->actions) {
        action->release();
    }
    entry->actions.clear();
    entry->removed = true;
    entriesByTarget_.erase(found);
    if (!updating_) {
        entries_.erase(std::remove(entries_.begin(), entries_.end(), entry), entries_.end());
    }
    // Last: releasing the target may destroy it, and its destructor may call back in here.
    entry->target->release();
}

} // namespace engine
