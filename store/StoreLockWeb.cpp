// In the browser each page has its own store (the page's IndexedDB copy of
// the folder), so no second writer can share it: the lock is always granted.
#include "store/StoreLock.h"

StoreLock::Attempt StoreLock::tryAcquire(const std::string& /*folder*/) {
    Attempt attempt;
    attempt.state = State::Held;
    attempt.lock.reset(new StoreLock(0));
    return attempt;
}

StoreLock::~StoreLock() = default;
