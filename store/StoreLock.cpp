#include "store/StoreLock.h"

#include "engine/base/Log.h"

#include <mutex>
#include <utility>

StoreLock::State StoreLock::forProcess(const std::string& folder) {
    static std::mutex mutex;
    static std::string askedFor;
    static State state = State::Unavailable;
    static std::unique_ptr<StoreLock> held;
    static bool asked = false;
    const std::lock_guard guard(mutex);
    if (asked && askedFor == folder) {
        return state;
    }
    held.reset();
    Attempt attempt = tryAcquire(folder);
    asked = true;
    askedFor = folder;
    state = attempt.state;
    held = std::move(attempt.lock);
    const std::string file = folder + kFileName;
    switch (state) {
    case State::Held:
        break;
    case State::HeldElsewhere:
        engine::Log::warning("store",
                             file + ": another copy of the editor holds the store; this one only reads it");
        break;
    case State::Unavailable:
        engine::Log::warning("store",
                             file + ": cannot be locked, writing without the lock: " + attempt.reason);
        break;
    }
    return state;
}
