#pragma once

#include "engine/base/RefPtr.h"
#include "engine/base/Scheduler.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class BoardLink;

// The one way between the board link's workers and the main thread. Workers
// never see the link or a node: they post reports, which run on the main
// thread in posting order and reach the link only while it still exists.
// Once the link has gone (the editor was left), reports already queued do
// nothing and later ones are not queued, while workers finish on their own.
class LinkChannel : public std::enable_shared_from_this<LinkChannel> {
public:
    using Report = std::function<void(BoardLink&)>;

    // On the main thread, by the link (always in a shared_ptr); reports go
    // through `scheduler`.
    LinkChannel(BoardLink* link, engine::Scheduler* scheduler);

    // Any thread.
    void post(Report report);
    // Main thread: runs `work` on a new detached thread, counted until it returns.
    static void startWorker(const std::shared_ptr<LinkChannel>& channel, std::function<void()> work);
    // Main thread, when the link goes.
    void close();
    // Blocks until no worker started here runs any more (tests, shutdown).
    void waitForWorkers();
    int runningWorkers();

    // Set by the sending overlay's stop button, read by the send routine.
    std::atomic<bool> stopRequested{false};

private:
    std::mutex mutex_;
    std::condition_variable workersDone_;
    int workers_ = 0;
    engine::RefPtr<engine::Scheduler> scheduler_; // null once closed
    BoardLink* link_;                             // main thread only
};
