#pragma once

#include "engine/base/Ref.h"

#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

using SchedulerFunc = std::function<void(float)>;

// Owns time for everything that is not an action: per-target callbacks run
// every frame (update callbacks ordered by priority) or at an interval, and
// closures posted from worker threads. Targets are opaque pointers; the
// scheduler never dereferences them.
//
// Interval callbacks follow accumulated time: a callback does nothing on the
// first frame after it is scheduled (that frame only starts its clock), then
// fires whenever the time since the last firing reaches the interval, several
// times in one frame when a frame is long. `repeat` n means n + 1 firings.
//
// Everything except performFunctionInCocosThread belongs to the main thread.
class Scheduler : public Ref {
public:
    // Update callbacks with this priority run before all others (the action manager).
    static constexpr int PRIORITY_SYSTEM = INT_MIN;
    static constexpr int PRIORITY_NON_SYSTEM_MIN = PRIORITY_SYSTEM + 1;
    static constexpr unsigned int REPEAT_FOREVER = UINT_MAX - 1;

    Scheduler();
    ~Scheduler() override;

    float getTimeScale() const { return timeScale_; }
    void setTimeScale(float timeScale) { timeScale_ = timeScale; }
    // Seconds of (scaled) frame time this scheduler has run: the clock that
    // every timer and action follows, virtual in headless runs.
    double getTotalTime() const { return totalTime_; }

    // One frame: the posted closures first (in posting order), then the update
    // callbacks by priority (the action manager's first), then the interval
    // callbacks target by target. Posted closures come first so that what a
    // worker reported is seen by the same frame's actions and timers (the
    // original engine ran them last).
    void update(float dt);

    // Schedules `callback` under `key` for `target`. An interval of 0 fires
    // every frame. Scheduling a key that is already scheduled for the target
    // replaces it: the new callback, interval, repeat and delay, with a fresh
    // clock (as unschedule followed by schedule).
    void schedule(const SchedulerFunc& callback, void* target, float interval, unsigned int repeat,
                  float delay, bool paused, const std::string& key);
    void schedule(const SchedulerFunc& callback, void* target, float interval, bool paused,
                  const std::string& key);

    // Member-function flavour: the selector itself is the key.
    template <class T>
    void schedule(void (T::*selector)(float), T* target, float interval, unsigned int repeat, float delay,
                  bool paused) {
        schedule([target, selector](float dt) { (target->*selector)(dt); }, target, interval, repeat, delay,
                 paused, selectorKey(selector));
    }
    template <class T> void unschedule(void (T::*selector)(float), T* target) {
        unschedule(selectorKey(selector), target);
    }
    template <class T> bool isScheduled(void (T::*selector)(float), const T* target) const {
        return isScheduled(selectorKey(selector), target);
    }

    // Calls target->update(dt) every frame; lower priorities run first, equal
    // priorities in the order they were scheduled.
    template <class T> void scheduleUpdate(T* target, int priority, bool paused) {
        schedulePerFrame([target](float dt) { target->update(dt); }, target, priority, paused);
    }
    void schedulePerFrame(const SchedulerFunc& callback, void* target, int priority, bool paused);

    // Every unschedule is safe from inside any callback, the one removed included.
    void unschedule(const std::string& key, void* target);
    void unscheduleUpdate(void* target);
    void unscheduleAllForTarget(void* target);
    void unscheduleAll();

    bool isScheduled(const std::string& key, const void* target) const;
    bool isUpdateScheduled(const void* target) const;

    // Pausing stops both the interval and the update callbacks of a target;
    // their accumulated time is kept.
    void pauseTarget(void* target);
    void resumeTarget(void* target);
    bool isTargetPaused(void* target) const;

    // Thread-safe: queues `function` to run on the main thread at the start of
    // the next update, after everything posted before it.
    void performFunctionInCocosThread(std::function<void()> function);
    void removeAllFunctionsToBePerformedInCocosThread();
    // Called (on the posting thread) after each post, so that a main loop
    // waiting for events wakes up; must be thread-safe.
    void setWakeUpHandler(std::function<void()> handler);

    // Whether the next update has anything to do: posted closures, or timers
    // or per-frame callbacks of targets that are not paused. The per-frame
    // callback of `ignored` (the action manager, which says for itself
    // whether actions run) does not count.
    bool hasPendingWork(const void* ignored = nullptr);

    template <class T> static std::string selectorKey(void (T::*selector)(float)) {
        char bytes[sizeof(selector)];
        std::memcpy(bytes, &selector, sizeof(selector));
        return std::string("selector:") + std::string(bytes, sizeof(bytes));
    }

private:
    struct Timer;
    struct TimerTarget;
    struct UpdateEntry;

    void runPostedFunctions();
    void runUpdateCallbacks(float dt);
    void runTimers(float dt);
    // One timer of a running target: started, then fired for its delay and every interval passed.
    static void stepTimer(const TimerTarget& element, Timer& timer, float dt);
    void purgeDeadEntries();
    TimerTarget* findTimerTarget(const void* target) const;
    Timer* findTimer(const TimerTarget& element, const std::string& key) const;
    void cancelTimer(TimerTarget& element, const std::string& key);
    void removeTimerTargetIfEmpty(const void* target);

    float timeScale_ = 1.0f;
    double totalTime_ = 0;
    bool updating_ = false;

    std::vector<std::shared_ptr<TimerTarget>> timerTargets_; // in order of first scheduling
    std::unordered_map<const void*, std::shared_ptr<TimerTarget>> timerTargetsByPointer_;

    std::vector<std::shared_ptr<UpdateEntry>> updates_; // sorted by priority, stable
    std::unordered_map<const void*, std::shared_ptr<UpdateEntry>> updatesByTarget_;

    std::mutex performMutex_;
    std::vector<std::function<void()>> functionsToPerform_;
    std::function<void()> wakeUp_;
};

} // namespace engine
