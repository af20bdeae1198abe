#include "engine/platform/Worker.h"

#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

// A worker runs beside the main thread exactly where the platform says it
// has threads (the browser runs it at once, on its one thread).
TEST(WorkerTest, WorkRunsOffTheMainThreadWhereThereAreThreads) {
    // Shared: the worker may still be inside set_value when get() returns.
    auto ran = std::make_shared<std::promise<std::thread::id>>();
    std::future<std::thread::id> where = ran->get_future();
    engine::startWorker([ran] { ran->set_value(std::this_thread::get_id()); });
    EXPECT_EQ(where.get() != std::this_thread::get_id(), engine::workersHaveThreads());
}
