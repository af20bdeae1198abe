// One copy of the editor per user: a later copy is refused and the first
// hears it (to come forward); the name is free again once the first has gone.
#include "app/SingleInstance.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>

namespace {

using namespace std::chrono_literals;

std::string uniqueName() {
    return "pavlune-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

// Requests arrive on the listener's thread.
class Requests {
public:
    void add() {
        std::lock_guard lock(mutex_);
        ++count_;
        arrived_.notify_all();
    }
    // Whether `count` requests arrived within a generous bound.
    bool reach(int count) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, 10s, [&] { return count_ >= count; });
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    int count_ = 0;
};

TEST(SingleInstanceTest, EachLaterCopyIsRefusedAndTheFirstHearsIt) {
    const std::string name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.claim());
    Requests heard;
    first.listen([&heard] { heard.add(); });
    for (int copy = 1; copy <= 2; ++copy) {
        SingleInstance later(name);
        EXPECT_FALSE(later.claim()) << "copy " << copy;
        EXPECT_TRUE(heard.reach(copy)) << "copy " << copy;
    }
    SingleInstance otherProgram(name + "-other");
    EXPECT_TRUE(otherProgram.claim());
}

TEST(SingleInstanceTest, TheNameIsFreeOnceTheFirstCopyHasGone) {
    const std::string name = uniqueName();
    {
        SingleInstance first(name);
        ASSERT_TRUE(first.claim());
        first.listen([] {});
    }
    SingleInstance next(name);
    EXPECT_TRUE(next.claim());
}

} // namespace
