// In the browser the page holds the store's lock: a Web Lock named after the
// store, asked for without waiting before the program starts (shell.html)
// and held for the page's life. A second tab of the same site is refused and
// runs read-only, like a second copy on the desktop. Where the browser has no
// Web Locks, the page is granted the store, as before there were locks.
#include "store/StoreLock.h"

#include <emscripten.h>

// 1: this page holds the lock; 0: another tab does; -1: the browser has none.
// clang-format off
EM_JS(int, pavlune_store_lock_state, (), {
    return typeof Module.pavluneStoreLockHeld === "number" ? Module.pavluneStoreLockHeld : -1;
});
// clang-format on

StoreLock::Attempt StoreLock::tryAcquire(const std::string& /*folder*/) {
    Attempt attempt;
    if (pavlune_store_lock_state() == 0) {
        attempt.state = State::HeldElsewhere;
        return attempt;
    }
    attempt.state = State::Held;
    attempt.lock.reset(new StoreLock(0));
    return attempt;
}

StoreLock::~StoreLock() = default;
