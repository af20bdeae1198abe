#pragma once

#include "engine/base/RefPtr.h"
#include "engine/base/Scheduler.h"

#include <functional>
#include <memory>
#include <string>
#include <thread>

// Reads lines from a descriptor (a child process's standard output) on a
// thread of its own that blocks until something arrives, so a quiet child
// costs the editor nothing. Each line, and then the end of the output, is
// posted to the main thread through the scheduler, which wakes the frame loop.
class LineReader {
public:
    // Main thread. `fd` stays the caller's and must stay open while this lives.
    LineReader(int fd, engine::Scheduler* scheduler, std::function<void(const std::string&)> onLine,
               std::function<void()> onEnd);
    // Main thread: ends the thread, even one blocked on a silent descriptor;
    // what it posted and has not run yet is dropped.
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

private:
    struct Handlers {
        std::function<void(const std::string&)> onLine;
        std::function<void()> onEnd;
    };

    void readLines(int fd, const std::weak_ptr<Handlers>& handlers);
    void post(const std::weak_ptr<Handlers>& handlers, std::function<void(Handlers&)> call);

    std::shared_ptr<Handlers> handlers_; // main thread; the posts hold it weakly
    engine::RefPtr<engine::Scheduler> scheduler_;
    int stop_ = -1; // an eventfd: written once to end the thread
    std::thread thread_;
};
