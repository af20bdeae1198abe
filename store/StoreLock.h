#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One writer per store: an advisory lock on W/store.lock (W the writable
// path), taken without waiting and held for as long as its holder lives. The
// operating system drops it when the holder's process ends, however it ends,
// so a crashed copy never keeps the store locked.
//
// The editor takes it through `forProcess` before it writes anything; a
// second copy on the same store is refused and runs read-only, so neither the
// list nor a program is ever rewritten from a copy that another one has
// overtaken. Readers that never write (the export tool) do not ask for it.
//
// The lock belongs to the open file, not to the process: a second holder in
// the same process is refused too, and a child started later does not
// inherit it. Platform files: StoreLockPosix.cpp (flock), StoreLockWin32.cpp
// (LockFileEx), StoreLockWeb.cpp (one page per store: always granted).
class StoreLock {
public:
    static constexpr const char* kFileName = "store.lock";

    enum class State {
        Held,          // this holder may write the store
        HeldElsewhere, // another holder has it: do not write
        Unavailable,   // no lock file could be made or locked (logged); writes are not held back
    };

    struct Attempt {
        State state = State::Unavailable;
        std::unique_ptr<StoreLock> lock; // set when Held
        std::string reason;              // the system's reason when Unavailable
    };

    // One try on `folder`'s lock file (`folder` ends with a separator),
    // creating the file when missing.
    static Attempt tryAcquire(const std::string& folder);

    // The process's own answer for `folder`: the first ask tries, and a
    // granted lock is then held until the process ends, or until a later ask
    // names another folder (tests move the writable path). The same folder
    // gets the same answer, so the store and the settings agree for the run.
    static State forProcess(const std::string& folder);

    // Trivial only in the browser, where nothing is locked.
    // NOLINTNEXTLINE(performance-trivially-destructible)
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

private:
    explicit StoreLock(std::intptr_t handle) : handle_(handle) {}

    // A file descriptor, a Windows handle, or nothing in the browser.
    std::intptr_t handle_;
};
