#include "engine/base/Scheduler.h"

#include <algorithm>
#include <utility>

namespace engine {

struct Scheduler::Timer {
    SchedulerFunc callback;
    std::string key;
    float interval = 0;
    float delay = 0;
    unsigned int repeat = 0;
    bool useDelay = false;
    bool runForever = false;
    bool started = false; // the first update only starts the clock
    bool cancelled = false;
    float elapsed = 0;
    unsigned int timesExecuted = 0;
};

struct Scheduler::TimerTarget {
    const void* target = nullptr;
    bool paused = false;
    bool removed = false;
    std::vector<std::shared_ptr<Timer>> timers;
};

struct Scheduler::UpdateEntry {
    const void* target = nullptr;
    SchedulerFunc callback;
    int priority = 0;
    bool paused = false;
    bool markedForDeletion = false;
};

Scheduler::Scheduler() = default;

Scheduler::~Scheduler() = default;

void Scheduler::schedule(const SchedulerFunc& callback, void* target, float interval, bool paused,
                         const std::string& key) {
    schedule(callback, target, interval, REPEAT_FOREVER, 0.0f, paused, key);
}

void Scheduler::schedule(const SchedulerFunc& callback, void* target, float interval, unsigned int repeat,
                         float delay, bool paused, const std::string& key) {
    if (!callback || !target || key.empty()) {
        return;
    }
    TimerTarget* element = findTimerTarget(target);
    if (!element) {
        auto created = std::make_shared<TimerTarget>();
        created->target = target;
        created->paused = paused;
        timerTargets_.push_back(created);
        timerTargetsByPointer_[target] = created;
        element = created.get();
    }
    // Re-scheduling a key starts it over: the old callback is dropped with its
    // clock, delay and count, exactly as if it had been unscheduled first.
    cancelTimer(*element, key);
    auto timer = std::make_shared<Timer>();
    timer->callback = callback;
    timer->key = key;
    timer->interval = interval;
    timer->delay = delay;
    timer->useDelay = delay > 0.0f;
    timer->repeat = repeat;
    timer->runForever = repeat == REPEAT_FOREVER;
    element->timers.push_back(std::move(timer));
}

void Scheduler::schedulePerFrame(const SchedulerFunc& callback, void* target, int priority, bool paused) {
    if (!callback || !target) {
        return;
    }
    auto found = updatesByTarget_.find(target);
    if (found != updatesByTarget_.end()) {
        UpdateEntry& entry = *found->second;
        if (!entry.markedForDeletion && entry.priority == priority) {
            return;
        }
        // A different priority (or a callback unscheduled earlier in this
        // frame) gets a fresh entry in its proper place.
        entry.markedForDeletion = true;
        updatesByTarget_.erase(found);
        if (!updating_) {
            purgeDeadEntries();
        }
    }
    auto entry = std::make_shared<UpdateEntry>();
    entry->target = target;
    entry->callback = callback;
    entry->priority = priority;
    entry->paused = paused;
    auto position =
        std::upper_bound(updates_.begin(), updates_.end(), priority,
                         [](int p, const std::shared_ptr<UpdateEntry>& e) { return p < e->priority; });
    updates_.insert(position, entry);
    updatesByTarget_[target] = std::move(entry);
}

void Scheduler::unschedule(const std::string& key, void* target) {
    TimerTarget* element = findTimerTarget(target);
    if (!element) {
        return;
    }
    cancelTimer(*element, key);
    removeTimerTargetIfEmpty(target);
}

void Scheduler::cancelTimer(TimerTarget& element, const std::string& key) {
    auto& timers = element.timers;
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (!(*it)->cancelled && (*it)->key == key) {
            (*it)->cancelled = true;
            if (!updating_) {
                timers.erase(it); // while updating, the purge after the frame erases it
            }
            return;
        }
    }
}

void Scheduler::unscheduleUpdate(void* target) {
    auto found = updatesByTarget_.find(target);
    if (found == updatesByTarget_.end()) {
        return;
    }
    found->second->markedForDeletion = true;
    updatesByTarget_.erase(found);
    if (!updating_) {
        purgeDeadEntries();
    }
}

void Scheduler::unscheduleAllForTarget(void* target) {
    if (TimerTarget* element = findTimerTarget(target)) {
        for (auto& timer : element->timers) {
            timer->cancelled = true;
        }
        if (!updating_) {
            element->timers.clear();
        }
        removeTimerTargetIfEmpty(target);
    }
    unscheduleUpdate(target);
}

void Scheduler::unscheduleAll() {
    std::vector<const void*> targets;
    for (const auto& element : timerTargets_) {
        targets.push_back(element->target);
    }
    for (const auto& entry : updates_) {
        targets.push_back(entry->target);
    }
    for (const void* target : targets) {
        unscheduleAllForTarget(const_cast<void*>(target));
    }
}

bool Scheduler::isScheduled(const std::string& key, const void* target) const {
    const TimerTarget* element = findTimerTarget(target);
    return element && findTimer(*element, key) != nullptr;
}

bool Scheduler::isUpdateScheduled(const void* target) const {
    return updatesByTarget_.count(target) > 0;
}

void Scheduler::pauseTarget(void* target) {
    if (TimerTarget* element = findTimerTarget(target)) {
        element->paused = true;
    }
    auto found = updatesByTarget_.find(target);
    if (found != updatesByTarget_.end()) {
        found->second->paused = true;
    }
}

void Scheduler::resumeTarget(void* target) {
    if (TimerTarget* element = findTimerTarget(target)) {
        element->paused = false;
    }
    auto found = updatesByTarget_.find(target);
    if (found != updatesByTarget_.end()) {
        found->second->paused = false;
    }
}

bool Scheduler::isTargetPaused(void* target) const {
    if (const TimerTarget* element = findTimerTarget(target)) {
        return element->paused;
    }
    auto found = updatesByTarget_.find(target);
    return found != updatesByTarget_.end() && found->second->paused;
}

void Scheduler::performFunctionInCocosThread(std::function<void()> function) {
    if (!function) {
        return;
    }
    std::function<void()> wakeUp;
    {
        std::lock_guard<std::mutex> lock(performMutex_);
        functionsToPerform_.push_back(std::move(function));
        wakeUp = wakeUp_;
    }
    if (wakeUp) {
        wakeUp();
    }
}

void Scheduler::setWakeUpHandler(std::function<void()> handler) {
    std::lock_guard<std::mutex> lock(performMutex_);
    wakeUp_ = std::move(handler);
}

bool Scheduler::hasPendingWork(const void* ignored) {
    {
        std::lock_guard<std::mutex> lock(performMutex_);
        if (!functionsToPerform_.empty()) {
            return true;
        }
    }
    for (const auto& entry : updates_) {
        if (!entry->paused && !entry->markedForDeletion && entry->target != ignored) {
            return true;
        }
    }
    for (const auto& element : timerTargets_) {
        if (element->paused || element->removed) {
            continue;
        }
        for (const auto& timer : element->timers) {
            if (!timer->cancelled) {
                return true;
            }
        }
    }
    return false;
}

void Scheduler::removeAllFunctionsToBePerformedInCocosThread() {
    std::lock_guard<std::mutex> lock(performMutex_);
    functionsToPerform_.clear();
}

void Scheduler::update(float dt) {
    runPostedFunctions();
    if (timeScale_ != 1.0f) {
        dt *= timeScale_;
    }
    totalTime_ += dt;
    updating_ = true;
    runUpdateCallbacks(dt);
    runTimers(dt);
    updating_ = false;
    purgeDeadEntries();
}

void Scheduler::runPostedFunctions() {
    std::vector<std::function<void()>> functions;
    {
        std::lock_guard<std::mutex> lock(performMutex_);
        functions.swap(functionsToPerform_);
    }
    // Run outside the lock: a closure may post again (it then runs next frame).
    for (auto& function : functions) {
        function();
    }
}

void Scheduler::runUpdateCallbacks(float dt) {
    // Entries added during this pass wait for the next frame; removed ones are
    // skipped at once.
    const std::vector<std::shared_ptr<UpdateEntry>> snapshot = updates_;
    for (const auto& entry : snapshot) {
        if (!entry->paused && !entry->markedForDeletion) {
            const SchedulerFunc callback = entry->callback; // survives an unschedule inside itself
            callback(dt);
        }
    }
}

void Scheduler::runTimers(float dt) {
    // Indices stay valid: while updating, nothing is erased, only appended.
    for (std::size_t t = 0; t < timerTargets_.size(); ++t) {
        const std::shared_ptr<TimerTarget> element = timerTargets_[t];
        if (element->paused || element->removed) {
            continue;
        }
        for (std::size_t i = 0; i < element->timers.size() && !element->paused && !element->removed; ++i) {
            const std::shared_ptr<Timer> timer = element->timers[i];
            if (!timer->cancelled) {
                stepTimer(*element, *timer, dt);
            }
        }
    }
}

void Scheduler::stepTimer(const TimerTarget& element, Timer& timer, float dt) {
    if (!timer.started) {
        timer.started = true;
        timer.elapsed = 0;
        timer.timesExecuted = 0;
        return;
    }
    timer.elapsed += dt;
    auto fire = [&timer](float interval) {
        const SchedulerFunc callback = timer.callback;
        callback(interval);
        ++timer.timesExecuted;
        if (!timer.runForever && timer.timesExecuted > timer.repeat && !timer.cancelled) {
            timer.cancelled = true;
        }
    };
    if (timer.useDelay) {
        if (timer.elapsed < timer.delay) {
            return;
        }
        fire(timer.delay);
        timer.elapsed -= timer.delay;
        timer.useDelay = false;
    }
    // An interval of 0 fires once a frame with the frame's time.
    const float interval = timer.interval > 0 ? timer.interval : timer.elapsed;
    while (!timer.cancelled && !element.removed && timer.elapsed >= interval) {
        fire(interval);
        timer.elapsed -= interval;
        if (timer.elapsed <= 0.0f) {
            break;
        }
    }
}

void Scheduler::purgeDeadEntries() {
    updates_.erase(std::remove_if(updates_.begin(), updates_.end(),
                                  [](const std::shared_ptr<UpdateEntry>& e) { return e->markedForDeletion; }),
                   updates_.end());
    for (auto& element : timerTargets_) {
        auto& timers = element->timers;
        timers.erase(std::remove_if(timers.begin(), timers.end(),
                                    [](const std::shared_ptr<Timer>& timer) { return timer->cancelled; }),
                     timers.end());
        if (timers.empty() && !element->removed) {
            element->removed = true;
            timerTargetsByPointer_.erase(element->target);
        }
    }
    timerTargets_.erase(std::remove_if(timerTargets_.begin(), timerTargets_.end(),
                                       [](const std::shared_ptr<TimerTarget>& e) { return e->removed; }),
                        timerTargets_.end());
}

Scheduler::TimerTarget* Scheduler::findTimerTarget(const void* target) const {
    auto found = timerTargetsByPointer_.find(target);
    return found == timerTargetsByPointer_.end() ? nullptr : found->second.get();
}

Scheduler::Timer* Scheduler::findTimer(const TimerTarget& element, const std::string& key) const {
    for (const auto& timer : element.timers) {
        if (!timer->cancelled && timer->key == key) {
            return timer.get();
        }
    }
    return nullptr;
}

void Scheduler::removeTimerTargetIfEmpty(const void* target) {
    TimerTarget* element = findTimerTarget(target);
    if (!element) {
        return;
    }
    const bool anyLive = std::any_of(element->timers.begin(), element->timers.end(),
                                     [](const std::shared_ptr<Timer>& timer) { return !timer->cancelled; });
    if (anyLive) {
        return;
    }
    // Forget the pause state with the element, as a target without schedules
    // has none; while updating, the element itself is dropped afterwards.
    element->removed = true;
    timerTargetsByPointer_.erase(target);
    if (!updating_) {
        timerTargets_.erase(
            std::remove_if(timerTargets_.begin(), timerTargets_.end(),
                           [element](const std::shared_ptr<TimerTarget>& e) { return e.get() == element; }),
            timerTargets_.end());
    }
}

} // namespace engine
