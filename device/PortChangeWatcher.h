#pragma once

#include "device/PortEventSource.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace pavlune {

// Watches for serial devices being plugged in or pulled out, on a thread of
// its own: after every announced change, and at the latest every `interval`,
// it compares the present devices with the last look and calls `arrived`
// when a device appeared and `removed` when one went (both, when both
// happened). The callbacks run on the watcher's thread.
class PortChangeWatcher {
public:
    static constexpr std::chrono::milliseconds defaultInterval{2000};

    PortChangeWatcher(std::unique_ptr<PortEventSource> source, std::function<void()> arrived,
                      std::function<void()> removed, std::chrono::milliseconds interval = defaultInterval);
    // Stops the thread and waits for it.
    ~PortChangeWatcher();

    PortChangeWatcher(const PortChangeWatcher&) = delete;
    PortChangeWatcher& operator=(const PortChangeWatcher&) = delete;

private:
    void run(std::vector<std::string> known);

    std::unique_ptr<PortEventSource> source_;
    std::function<void()> arrived_;
    std::function<void()> removed_;
    std::chrono::milliseconds interval_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

} // namespace pavlune
