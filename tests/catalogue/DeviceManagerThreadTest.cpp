// Workers read the selections while the engine thread changes them.
#include "catalogue/CardSet.h"
#include "catalogue/DeviceManager.h"
#include "catalogue/Dialect.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace pavlune {
namespace {

TEST(DeviceManagerThreads, SelectionsMayChangeWhileAWorkerLooksUp) {
    DeviceManager* manager = DeviceManager::getInstance();
    std::atomic<bool> done{false};
    std::thread worker([&] {
        int seen = 0;
        do {
            const CatalogueView view = manager->getView();
            seen += view.getCardCode(0, view.getCardSet()).code.empty() ? 0 : 1;
        } while (!done.load());
        EXPECT_GT(seen, 0);
    });
    for (int i = 0; i < 2000; ++i) {
        manager->setCurrentDialect(*dialectFromIndex(i % kDialectCount));
        manager->setCurrentCardSet(*cardSetFromIndex((i / 3) % kCardSetCount));
    }
    done.store(true);
    worker.join();
    manager->init();
}

} // namespace
} // namespace pavlune
