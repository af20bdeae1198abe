#pragma once

#include <condition_variable>
#include <mutex>

// Holds every write on the fake port until the test lets them go.
struct WriteGate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int writes = 0;

    void onWrite() {
        std::unique_lock lock(mutex);
        ++writes;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
    }
    void waitForFirstWrite() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return writes > 0; });
    }
    void release() {
        {
            std::lock_guard lock(mutex);
            open = true;
        }
        changed.notify_all();
    }
};
