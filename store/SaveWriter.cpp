#include "store/SaveWriter.h"

#include "engine/base/FileUtils.h"

#include <algorithm>
#include <utility>

SaveWriter::SaveWriter(WriteFile writeFile) : writeFile_(std::move(writeFile)) {
    if (!writeFile_) {
        writeFile_ = [](const std::string& fullPath, const std::string& bytes) {
            int error = 0;
            engine::FileUtils::getInstance()->writeStringToFile(bytes, fullPath, &error);
            return error;
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
    ended_.wait(lock, [this] { return queue_.empty() && !current_; });
}

bool SaveWriter::idle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.empty() && !current_;
}

void SaveWriter::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // Stopping still writes what is queued: nothing asked for is dropped.
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) {
            return;
        }
        current_ = std::move(queue_.front());
        queue_.pop_front();
        const std::string fullPath = current_->fullPath;
        const std::string bytes = current_->bytes;
        lock.unlock();
        const int error = writeFile_(fullPath, bytes);
        lock.lock();
        std::vector<Done> done = std::move(current_->done);
        lock.unlock();
        for (Done& report : done) {
            report(error);
        }
        lock.lock();
        current_.reset();
        ended_.notify_all();
    }
}
