#include "device/PortChangeWatcher.h"

#include "device/posix/UdevPortEventSource.h"

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>

using namespace pavlune;

namespace {

// Devices the test plugs and pulls; a wait ends when the test announces a
// change (or at interrupt), never by time.
class ScriptedEventSource : public PortEventSource {
public:
    struct Script {
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<std::string> devices;
        int announcements = 0;
        bool interrupted = false;

        void set(std::vector<std::string> now) {
            {
                std::lock_guard lock(mutex);
                devices = std::move(now);
                ++announcements;
            }
            changed.notify_all();
        }
    };

    explicit ScriptedEventSource(std::shared_ptr<Script> script) : script_(std::move(script)) {}

    std::vector<std::string> presentDevices() override {
        std::lock_guard lock(script_->mutex);
        return script_->devices;
    }
    void waitForChange(std::chrono::milliseconds) override {
        std::unique_lock lock(script_->mutex);
        script_->changed.wait(lock, [&] { return script_->interrupted || script_->announcements > seen_; });
        seen_ = script_->announcements;
    }
    void interrupt() override {
        {
            std::lock_guard lock(script_->mutex);
            script_->interrupted = true;
        }
        script_->changed.notify_all();
    }

private:
    std::shared_ptr<Script> script_;
    int seen_ = 0;
};

struct Heard {
    std::mutex mutex;
    std::condition_variable changed;
    int arrivals = 0;
    int removals = 0;

    void add(int& counter) {
        {
            std::lock_guard lock(mutex);
            ++counter;
        }
        changed.notify_all();
    }
    // True once both counts are reached; false after a generous bound.
    bool waitFor(int wantedArrivals, int wantedRemovals) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10),
                                [&] { return arrivals >= wantedArrivals && removals >= wantedRemovals; });
    }
};

TEST(PortChangeWatcherTest, PluggingInCallsArrivalAndPullingOutCallsRemoval) {
    auto script = std::make_shared<ScriptedEventSource::Script>();
    script->devices = {"ttyS0"};
    Heard heard;
    {
        PortChangeWatcher watcher(
            std::make_unique<ScriptedEventSource>(script), [&] { heard.add(heard.arrivals); },
            [&] { heard.add(heard.removals); });
        script->set({"ttyS0", "ttyUSB0"});
        ASSERT_TRUE(heard.waitFor(1, 0));
        script->set({"ttyUSB0"});
        ASSERT_TRUE(heard.waitFor(1, 1));
        script->set({"ttyACM0"}); // one went, another came at once
        ASSERT_TRUE(heard.waitFor(2, 2));
    }
    std::lock_guard lock(heard.mutex);
    EXPECT_EQ(heard.arrivals, 2);
    EXPECT_EQ(heard.removals, 2);
}

TEST(UdevPortEventSourceTest, ListsOnlyTtysThatStandForADevice) {
    char pattern[] = "/tmp/pavlune-tty-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path root(pattern);
    std::filesystem::create_directories(root / "ttyUSB0" / "device");
    std::filesystem::create_directories(root / "pts0");
    std::filesystem::create_directories(root / "tty1");
    std::filesystem::create_directory_symlink(root / "ttyUSB0", root / "ttyACM1");
    UdevPortEventSource source(root.c_str());
    std::vector<std::string> names = source.presentDevices();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"ttyACM1", "ttyUSB0"}));
    std::filesystem::remove_all(root);
}

} // namespace
