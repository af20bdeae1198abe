#include "store/SaveWriter.h"

#include "engine/base/FileUtils.h"

#include <algorithm>
#include <utility>

SaveWriter::SaveWriter(WriteFile writeFile, SyncFolder syncFolder)
    : writeFile_(std::move(writeFile)), syncFolder_(std::move(syncFolder)) {
    if (!writeFile_) {
        writeFile_ = [](const std::string& fullPath, const std::string& bytes) {
            int error = 0;
            engine::FileUtils::getInstance()->writeStringToFile(bytes, fullPath, &error,
                                                                engine::FileUtils::RenameSync::Later);
            return error;
        };
    }
    if (!syncFolder_) {
        syncFolder_ = [](const std::string& fullPath) {
            engine::FileUtils::getInstance()->syncFolderOf(fullPath);
        };
    }
    worker_ = std::thread([this] { run(); });
}

SaveWriter::~SaveWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void SaveWriter::write(std::string fullPath, std::string bytes, Done done) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto waiting = std::find_if(queue_.begin(), queue_.end(),
                                    [&](const Job& job) { return job.fullPath == fullPath; });
        if (waiting != queue_.end()) {
            waiting->bytes = std::move(bytes);
            if (done) {
                waiting->done.push_back(std::move(done));
            }
            return;
        }
        Job job{std::move(fullPath), std::move(bytes), {}};
        if (done) {
            job.done.push_back(std::move(done));
        }
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

std::optional<std::string> SaveWriter::pending(const std::string& fullPath) const {
    std::lock_guard<std::mutex> lock(mutex_);
    // A waiting write is newer than the one in progress.
    for (const Job& job : queue_) {
        if (job.fullPath == fullPath) {
            return job.bytes;
        }
    }
    if (current_ && current_->fullPath == fullPath) {
        return current_->bytes;
    }
    return std::nullopt;
}

void SaveWriter::drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    ended_.wait(lock, [this] { return queue_.empty() && !current_ && untold_.empty() && !syncing_; });
}

bool SaveWriter::idle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.empty() && !current_ && untold_.empty() && !syncing_;
}

void SaveWriter::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // Stopping still writes what is queued: nothing asked for is dropped.
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;
        }
        writeNext(lock);
        // A newer state waiting goes to its file first; the folder flush
        // after it makes both renames durable.
        if (queue_.empty()) {
            syncRenamed(lock);
        }
    }
}

void SaveWriter::writeNext(std::unique_lock<std::mutex>& lock) {
    current_ = std::move(queue_.front());
    queue_.pop_front();
    const std::string fullPath = current_->fullPath;
    const std::string bytes = current_->bytes;
    lock.unlock();
    const int error = writeFile_(fullPath, bytes);
    lock.lock();
    if (error == 0 && std::find(renamed_.begin(), renamed_.end(), fullPath) == renamed_.end()) {
        renamed_.push_back(fullPath);
    }
    for (Done& report : current_->done) {
        untold_.emplace_back(std::move(report), error);
    }
    current_.reset();
}

void SaveWriter::syncRenamed(std::unique_lock<std::mutex>& lock) {
    std::vector<std::string> renamed = std::move(renamed_);
    std::vector<std::pair<Done, int>> untold = std::move(untold_);
    renamed_.clear();
    untold_.clear();
    syncing_ = true;
    lock.unlock();
    for (const std::string& fullPath : renamed) {
        syncFolder_(fullPath);
    }
    for (auto& [report, error] : untold) {
        report(error);
    }
    lock.lock();
    syncing_ = false;
    ended_.notify_all();
}
