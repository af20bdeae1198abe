#include "engine/base/Scheduler.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

// Several workers post at once while the main thread keeps running frames:
// every closure runs exactly once, on the main thread, and each worker's
// closures run in the order it posted them.
TEST(SchedulerThreads, PostedClosuresFromManyThreadsAreAllRunInPerThreadOrder) {
    constexpr int kThreads = 6;
    constexpr int kPerThread = 2000;
    auto* scheduler = new engine::Scheduler();
    const std::thread::id mainThread = std::this_thread::get_id();

    std::vector<std::vector<int>> seen(kThreads); // touched by the main thread only
    std::atomic<int> finishedWorkers{0};
    std::atomic<bool> go{false};
    bool allOnMainThread = true;

    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            while (!go.load()) {
                std::this_thread::yield();
            }
            for (int i = 0; i < kPerThread; ++i) {
                scheduler->performFunctionInCocosThread([&, t, i] {
                    allOnMainThread = allOnMainThread && std::this_thread::get_id() == mainThread;
                    seen[t].push_back(i);
                });
            }
            finishedWorkers.fetch_add(1);
        });
    }
    go.store(true);
    int frames = 0;
    while (finishedWorkers.load() < kThreads) {
        scheduler->update(1.0f / 60);
        ++frames;
    }
    scheduler->update(1.0f / 60); // whatever was posted last
    for (auto& worker : workers) {
        worker.join();
    }

    EXPECT_TRUE(allOnMainThread);
    EXPECT_GT(frames, 0);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), static_cast<std::size_t>(kPerThread)) << "thread " << t;
        for (int i = 0; i < kPerThread; ++i) {
            ASSERT_EQ(seen[t][i], i) << "thread " << t;
        }
    }
    scheduler->release();
}

} // namespace
