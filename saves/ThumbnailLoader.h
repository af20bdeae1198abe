#pragma once

#include "engine/base/RefPtr.h"
#include "engine/base/Scheduler.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace engine {
class Texture2D;
}

// Decodes the list's thumbnails on a worker thread, so that an entry scrolling
// in never holds up a frame with a PNG. The pixels come back to the main
// thread (through the scheduler's posted closures) as a texture that belongs
// to whoever asked for it, never to the shared texture cache: a list of a
// thousand programs would otherwise keep every picture it ever showed.
class ThumbnailLoader {
public:
    // A thumbnail is 285 pixels square; a picture beyond this many pixels each
    // way (or not a PNG) is not decoded and shows as missing.
    static constexpr int kMaxPictureSide = 4096;

    // Receives the texture, or null when the file is missing or unreadable.
    using Delivery = std::function<void(engine::Texture2D* texture)>;

    // One picture asked for. Its owner cancels it when it no longer wants the
    // picture (rebound to another program, out of the strip, gone): a request
    // not decoded yet is skipped, and a result already on its way is dropped
    // on the main thread, so the delivery never reaches an owner that is gone.
    class Request {
    public:
        Request(std::string path, Delivery deliver) : path_(std::move(path)), deliver_(std::move(deliver)) {}
        // Main thread only.
        void cancel();

    private:
        friend class ThumbnailLoader;
        const std::string path_;
        Delivery deliver_; // main thread only
        std::atomic<bool> cancelled_{false};
    };

    // Results are posted to `scheduler` (the running director's).
    explicit ThumbnailLoader(engine::Scheduler* scheduler);
    // Waits for the picture being decoded, if any, but no longer than
    // kStopDeadline: a worker still held by a read then finishes on its own
    // and posts nothing. Results already posted are harmless: the entries
    // share the loader, so it goes only after the last of them has cancelled
    // its request.
    ~ThumbnailLoader();
    static constexpr std::chrono::milliseconds kStopDeadline{2000};
    ThumbnailLoader(const ThumbnailLoader&) = delete;
    ThumbnailLoader& operator=(const ThumbnailLoader&) = delete;

    // Queues the picture at `path` (a full path); `deliver` runs on the main
    // thread unless the request is cancelled first.
    std::shared_ptr<Request> load(const std::string& path, Delivery deliver);

    // Blocks until every request queued so far is decoded (or skipped) and its
    // result posted. For tests and benchmarks, which then step a frame.
    void waitUntilIdle();

private:
    // What the worker shares with the loader, kept by both: a worker left
    // behind past the deadline still has it when its read ends.
    struct Queue {
        std::mutex mutex;
        std::condition_variable wake;
        std::condition_variable idle;
        std::condition_variable finished;
        std::deque<std::shared_ptr<Request>> requests;
        bool busy = false;
        bool stopping = false;
        bool done = false; // the worker has returned
    };

    void work();     // the browser build only
    void postWork(); // the browser build only
    // The worker's loop (other builds); `scheduler` is only used while the
    // loader is not stopping.
    static void serve(const std::shared_ptr<Queue>& queue, engine::Scheduler* scheduler);
    static void deliver(const std::shared_ptr<Request>& request, engine::Texture2D* texture);

    engine::RefPtr<engine::Scheduler> scheduler_;
    std::shared_ptr<Queue> queue_ = std::make_shared<Queue>();
    std::thread worker_;
    // The browser build decodes on the main thread (ThumbnailLoaderWeb.cpp):
    // its posted decodes run only while this lives.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
