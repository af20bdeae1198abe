// The save worker: order, replacing a waiting state, outcomes, and what a
// reader sees while a write is queued. The writer under test is held at a gate
// so that the queue's state is known without timing.
#include "store/SaveWriter.h"

#include "engine/base/FileUtils.h"

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace {

// Records every write; the first one waits until release() is called.
class GatedDisk {
public:
    SaveWriter::WriteFile writer() {
        return [this](const std::string& path, const std::string& bytes) {
            std::unique_lock<std::mutex> lock(mutex_);
            started_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
            writes_.emplace_back(path, bytes);
            steps_.push_back("write " + bytes);
            return bytes != "fail" ? 0 : EIO;
        };
    }
    SaveWriter::SyncFolder syncer() {
        return [this](const std::string& path) { note("sync " + path); };
    }
    SaveWriter::Done teller(const std::string& name) {
        return [this, name](int error) { note("told " + name + (error == 0 ? " ok" : " failed")); };
    }
    void note(const std::string& step) {
        std::lock_guard<std::mutex> lock(mutex_);
        steps_.push_back(step);
    }
    void waitUntilStarted() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return started_; });
    }
    void release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    std::vector<std::pair<std::string, std::string>> writes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return writes_;
    }
    // Writes, folder flushes and outcomes, in the order they happened.
    std::vector<std::string> steps() {
        std::lock_guard<std::mutex> lock(mutex_);
        return steps_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool started_ = false;
    bool released_ = false;
    std::vector<std::pair<std::string, std::string>> writes_;
    std::vector<std::string> steps_;
};

TEST(SaveWriterTest, WritesInOrderAndAWaitingStateIsReplacedInItsPlace) {
    GatedDisk disk;
    std::vector<std::string> outcomes;
    std::mutex outcomesMutex;
    auto heard = [&](const std::string& name) {
        return [&, name](int error) {
            std::lock_guard<std::mutex> lock(outcomesMutex);
            outcomes.push_back(name + (error == 0 ? " ok" : " failed"));
        };
    };
    {
        SaveWriter writer(disk.writer(), disk.syncer());
        writer.write("a", "a1", heard("a1"));
        disk.waitUntilStarted(); // a1 is being written and can no longer be replaced
        writer.write("list", "l1", heard("l1"));
        writer.write("a", "a2", heard("a2"));
        writer.write("a", "a3", heard("a3"));
        writer.write("list", "fail", heard("l2"));

        // A reader sees the newest state of a file, not the one on disk.
        EXPECT_EQ(writer.pending("a"), "a3");
        EXPECT_EQ(writer.pending("list"), "fail");
        EXPECT_EQ(writer.pending("b"), std::nullopt);
        EXPECT_FALSE(writer.idle());

        disk.release();
        writer.drain();
        EXPECT_TRUE(writer.idle());
        EXPECT_EQ(writer.pending("a"), std::nullopt);
    }
    const std::vector<std::pair<std::string, std::string>> expected{
        {"a", "a1"}, {"list", "fail"}, {"a", "a3"}};
    EXPECT_EQ(disk.writes(), expected);
    // Both callers of a replaced write hear its one outcome, failures included.
    const std::vector<std::string> expectedOutcomes{"a1 ok", "l1 failed", "l2 failed", "a2 ok", "a3 ok"};
    EXPECT_EQ(outcomes, expectedOutcomes);
}

// A slow disk: a burst of edits made while one write is in flight costs one
// more write, of the newest state, straight after it (no folder flush between),
// and one folder flush for both; the outcomes are told once that is done.
TEST(SaveWriterTest, ABurstDuringAWriteIsOneWriteOfItsNewestStateAndOneFlush) {
    GatedDisk disk;
    {
        SaveWriter writer(disk.writer(), disk.syncer());
        writer.write("a", "a1", disk.teller("a1"));
        disk.waitUntilStarted();
        for (int edit = 2; edit <= 5; ++edit) {
            const std::string state = "a" + std::to_string(edit);
            writer.write("a", state, disk.teller(state));
        }
        EXPECT_FALSE(writer.idle());
        disk.release();
        writer.drain();
        EXPECT_TRUE(writer.idle());
    }
    const std::vector<std::string> expected{"write a1",   "write a5",   "sync a",     "told a1 ok",
                                            "told a2 ok", "told a3 ok", "told a4 ok", "told a5 ok"};
    EXPECT_EQ(disk.steps(), expected);
}

// A write that failed renamed nothing: no flush for it, and its outcome is
// still told.
TEST(SaveWriterTest, AFailedWriteIsToldWithoutAFlush) {
    GatedDisk disk;
    disk.release();
    {
        SaveWriter writer(disk.writer(), disk.syncer());
        writer.write("a", "fail", disk.teller("a"));
        writer.drain();
    }
    const std::vector<std::string> expected{"write fail", "told a failed"};
    EXPECT_EQ(disk.steps(), expected);
}

TEST(SaveWriterTest, DestroyingTheWriterWritesWhatIsQueuedToTheDisk) {
    char pattern[] = "/tmp/save-writer-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string file = std::string(pattern) + "/1.plist";
    {
        SaveWriter writer;
        for (int i = 0; i < 50; ++i) {
            writer.write(file, "state " + std::to_string(i));
        }
    }
    EXPECT_EQ(engine::FileUtils::getInstance()->getStringFromFile(file), "state 49");
    std::filesystem::remove_all(pattern);
}

} // namespace
