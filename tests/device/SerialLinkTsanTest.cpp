// The serial manager and a transfer under ThreadSanitizer: searches rebuild
// the list while the main thread reads it and a worker sends a program.
#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "program/BoardTransfer.h"
#include "program/VirtualTransferClock.h"
#include "tests/device/FakeSerialBackend.h"

#include <gtest/gtest.h>
#include <thread>

using namespace pavlune;

namespace {

TEST(SerialLinkTsanTest, SearchesReadersAndATransferShareTheManager) {
    auto script = std::make_shared<FakeSerialBackend::Script>();
    script->present = {{"/dev/ttyUSB0", "A", false}, {"/dev/ttyUSB1", "B", false}};
    PavluneCardSerialManager manager(std::make_unique<FakeSerialBackend>(script));
    manager.searchPorts([](bool) {});

    // The searcher keeps going until every reader has had its rounds, so the
    // searches overlap the reads.
    std::atomic<int> readersLeft{2};
    std::thread searcher([&] {
        for (int i = 0; readersLeft > 0 || i < 300; ++i) {
            {
                std::lock_guard lock(script->mutex);
                script->present.resize(i % 2 == 0 ? 1 : 2, {"/dev/ttyUSB1", "B", false});
            }
            manager.searchPorts([](bool) {});
        }
    });

    // The main thread's part: status line and port list reads, a selection.
    std::mutex postedMutex;
    std::string posted;
    std::atomic<bool> stopRequested{false};
    int doneCalls = 0;
    int errorCalls = 0;
    bool onlyOpenFailures = true;
    std::thread sender([&] {
        VirtualTransferClock clock;
        BoardTransfer transfer(manager, clock, stopRequested, [&](const std::string& text) {
            std::lock_guard lock(postedMutex);
            posted += text; // stands in for posting to the main thread
        });
        for (Dialect dialect : {que, jam, que}) {
            // The selection may point past a shrunken list at that moment:
            // then the port is simply not opened.
            transfer.sendProgram(
                CatalogueView(dialect, basic), {{CardSlot{basic, 0, ""}}},
                [&](TransferFailure error) {
                    ++errorCalls;
                    onlyOpenFailures = onlyOpenFailures && error.kind == TransferFailure::Kind::portNotOpened;
                },
                [&] { ++doneCalls; });
        }
    });

    // A port list popup redrawing meanwhile.
    std::size_t listed = 0;
    std::thread lister([&] {
        for (int round = 0; round < 2000; ++round) {
            listed += manager.getPorts().size();
        }
        --readersLeft;
    });

    std::size_t reads = 0;
    for (int round = 0; round < 2000; ++round) {
        for (const SerialPortInfo& port : manager.getPorts()) {
            reads += port.displayText().size();
        }
        if (const auto selected = manager.getSelectedPort()) {
            reads += selected->name.size();
        }
        manager.setSelectedIndex(static_cast<int>(reads % 2));
        reads += manager.isSelectedPortActive() ? 1 : 0;
        reads += static_cast<std::size_t>(manager.getState());
    }
    --readersLeft;
    searcher.join();
    sender.join();
    lister.join();
    EXPECT_GT(listed, 0u);

    EXPECT_GT(reads, 0u);
    EXPECT_EQ(doneCalls + errorCalls, 3);
    EXPECT_TRUE(onlyOpenFailures);
}

TEST(SerialLinkTsanTest, StopRequestFromAnotherThreadEndsTheSend) {
    auto script = std::make_shared<FakeSerialBackend::Script>();
    PavluneCardSerialManager manager(std::make_unique<FakeSerialBackend>(script));
    manager.addPort("/dev/ttyUSB0", "A");
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> firstByteOut{false};
    script->onWrite = [&](std::uint8_t, bool) { firstByteOut = true; };

    std::atomic<int> callbacks{0};
    std::thread sender([&] {
        VirtualTransferClock clock;
        BoardTransfer transfer(manager, clock, stopRequested, nullptr);
        FieldRows rows(40, FieldRow{CardSlot{basic, 0, ""}});
        transfer.sendProgram(
            CatalogueView(jam, basic), rows, [&](TransferFailure) { ++callbacks; }, [&] { ++callbacks; });
    });
    while (!firstByteOut) {
        std::this_thread::yield();
    }
    stopRequested = true;
    sender.join();
    EXPECT_EQ(callbacks, 1);
}

TEST(SerialLinkTsanTest, ConcurrentFirstUseAndActivation) {
    std::atomic<int> activations{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back(
            [&] { PavluneCardSerialManager::getInstance()->activate([&](bool) { ++activations; }); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(activations, 1);
}

} // namespace
