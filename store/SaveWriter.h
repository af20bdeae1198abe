#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Writes whole files on a worker thread, in the order they were asked for, so
// that a slow disk (one fsync on an SD card can take a fifth of a second)
// never stalls a frame. A newer state of a file whose write has not started
// yet replaces the older one in its place in the queue: the file goes from the
// last written state straight to the newest. Every write is atomic, so a crash
// at any moment leaves the last or the previous state on disk.
//
// The renames are made durable (an fsync of their folder) once no newer state
// waits: a state that arrives during a write is renamed in after that write's
// own file flush, not after a folder flush too. One folder flush then covers
// the whole burst, and its outcomes are told after it.
//
// Thread-safe. The destructor waits for the queue.
class SaveWriter {
public:
    // The outcome of one write: 0 when on disk, else the system's error
    // number. Called on the worker thread.
    using Done = std::function<void(int error)>;
    // Writes `bytes` to `fullPath` atomically, leaving the rename's own flush
    // to SyncFolder, and answers as Done hears; by default the file layer's
    // atomic write. Tests substitute one that blocks or fails.
    using WriteFile = std::function<int(const std::string& fullPath, const std::string& bytes)>;
    // Makes the renames into the folder of `fullPath` durable; by default the
    // file layer's.
    using SyncFolder = std::function<void(const std::string& fullPath)>;

    explicit SaveWriter(WriteFile writeFile = nullptr, SyncFolder syncFolder = nullptr);
    ~SaveWriter();
    SaveWriter(const SaveWriter&) = delete;
    SaveWriter& operator=(const SaveWriter&) = delete;

    // Queues a write. When a write of the same file is still waiting, it takes
    // the new bytes instead, and both callers hear the one outcome.
    void write(std::string fullPath, std::string bytes, Done done = nullptr);
    // The newest bytes queued or being written for `fullPath`, so that a reader
    // sees the state the file is about to have; nothing when none are.
    std::optional<std::string> pending(const std::string& fullPath) const;
    // Blocks until every queued write has ended.
    void drain();
    // True when nothing is queued or being written.
    bool idle() const;

private:
    struct Job {
        std::string fullPath;
        std::string bytes;
        std::vector<Done> done;
    };

    void run();
    // Writes the front of the queue; called and returns with the lock held.
    void writeNext(std::unique_lock<std::mutex>& lock);
    // Flushes the folders of the files renamed since the last time, then tells
    // their outcomes.
    void syncRenamed(std::unique_lock<std::mutex>& lock);

    WriteFile writeFile_;
    SyncFolder syncFolder_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable ended_;
    std::deque<Job> queue_;
    std::optional<Job> current_;
    // Written since the last folder flush: the files renamed, and the
    // outcomes with their error, told once the flush is done.
    std::vector<std::string> renamed_;
    std::vector<std::pair<Done, int>> untold_;
    bool syncing_ = false;
    bool stopping_ = false;
    std::thread worker_;
};
