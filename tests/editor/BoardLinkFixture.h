#pragma once

// A board link on the headless engine, in a scene of its own with the bottom
// bar open at the origin, talking to a serial manager on a fake backend with
// a clock that never waits. Message boxes are recorded, not shown.

#include "device/PavluneCardSerialManager.h"
#include "editor/EditorChoices.h"
#include "editor/link/BoardLink.h"
#include "editor/link/LinkChannel.h"
#include "editor/link/LinkSetup.h"
#include "editor/link/PortControls.h"
#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/Layer.h"
#include "engine/2d/Scene.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/MessageBox.h"
#include "program/VirtualTransferClock.h"
#include "tests/device/FakeSerialBackend.h"
#include "tests/editor/WriteGate.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class BoardLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver = std::make_unique<engine::HeadlessDriver>();
        script = std::make_shared<pavlune::FakeSerialBackend::Script>();
        serial = std::shared_ptr<pavlune::PavluneCardSerialManager>(
            new pavlune::PavluneCardSerialManager(std::make_unique<pavlune::FakeSerialBackend>(script)),
            [](pavlune::PavluneCardSerialManager* manager) { manager->release(); });
        setup = LinkSetup{serial, [] { return std::make_unique<pavlune::VirtualTransferClock>(); }};
        engine::setMessageBoxHandler(
            [this](const std::string& message, const std::string& title, engine::MessageBoxIcon icon) {
                messages.emplace_back(title, message);
                icons.push_back(icon);
            });
        scene = engine::Scene::create();
        bar = engine::Layer::create();
        scene->addChild(bar);
        driver->runWithScene(scene);
        link = makeLink();
    }

    void TearDown() override {
        gate.release();
        if (link) {
            link->waitForWorkers();
        }
        link.reset();
        engine::setMessageBoxHandler(nullptr);
        driver.reset();
    }

    std::unique_ptr<BoardLink> makeLink() {
        BoardLinkHooks hooks{[this] { ++barOpenings; }, [](std::function<void()> done) { done(); },
                             [this] { return rows; }, [] { return EditorChoices().catalogue(); }};
        return std::make_unique<BoardLink>(scene, bar, std::move(hooks), setup);
    }

    void present(std::vector<pavlune::SerialPortInfo> ports) {
        std::lock_guard lock(script->mutex);
        script->present = std::move(ports);
    }

    // Lets every worker finish and runs what they reported, including the
    // work that those reports start.
    void settle() {
        for (int round = 0; round < 4; ++round) {
            link->waitForWorkers();
            driver->step();
        }
    }

    void tap(const engine::Vec2& point) {
        driver->touchBegan(point);
        driver->step();
        driver->touchEnded(point);
        driver->step();
    }

    void holdWrites() {
        std::lock_guard lock(script->mutex);
        script->onWrite = [gate = &gate](std::uint8_t, bool) { gate->onWrite(); };
    }

    std::string status() const { return link->getPortControls()->getStatusLabel()->getString(); }

    std::unique_ptr<engine::HeadlessDriver> driver;
    std::shared_ptr<pavlune::FakeSerialBackend::Script> script;
    std::shared_ptr<pavlune::PavluneCardSerialManager> serial;
    LinkSetup setup;
    engine::Scene* scene = nullptr;
    engine::Layer* bar = nullptr;
    std::unique_ptr<BoardLink> link;
    pavlune::FieldRows rows = pavlune::FieldRows(40); // what play sends
    WriteGate gate;
    int barOpenings = 0;
    std::vector<std::pair<std::string, std::string>> messages; // (caption, text)
    std::vector<engine::MessageBoxIcon> icons;                 // each message's
};
