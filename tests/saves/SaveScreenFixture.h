#pragma once

// Shared set-up of the list screen tests: a headless engine and the
// process-wide store in a temporary writable folder, emptied before each test.

#include "app/AppNavigator.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/base/FileUtils.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "saves/SaveScene.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"
#include "tests/support/Made.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

class SaveScreenTest : public ::testing::Test {
protected:
    // The store is process-wide and keeps the folder it was first opened in,
    // so every suite of the binary shares one folder, removed at exit.
    // The list opens the editor through the application's navigator.
    static void SetUpTestSuite() {
        engine::FileUtils::getInstance()->setWritablePath(root());
        static AppNavigator navigator;
        ScreenNavigator::install(&navigator);
    }
    static std::string& root() {
        static std::string path = [] {
            char pattern[] = "/tmp/pavlune-screens-XXXXXX";
            const char* folder = ::mkdtemp(pattern);
            if (!folder) {
                std::abort();
            }
            return std::string(folder) + "/";
        }();
        // Registered after `path` is built, so it runs before `path` is destroyed.
        static const bool removedAtExit = std::atexit([] {
                                              std::error_code ignored;
                                              std::filesystem::remove_all(root(), ignored);
                                          }) == 0;
        (void)removedAtExit;
        return path;
    }

    void SetUp() override {
        driver = std::make_unique<engine::HeadlessDriver>();
        SaveDataManager* store = SaveDataManager::getInstance();
        while (!store->getDatas().empty()) {
            store->removeData(store->getDatas().front());
        }
    }
    void TearDown() override { driver.reset(); }

    // Saves `count` new programs; the last one saved is listed first.
    std::vector<SaveData*> addPrograms(int count) {
        std::vector<SaveData*> added;
        for (int i = 0; i < count; ++i) {
            SaveData* record = made(SaveData::create());
            SaveDataManager::getInstance()->saveProgram(record, engine::ValueVector());
            added.push_back(record);
        }
        return added;
    }

    // A picture file of one colour, `pixels` square.
    static void writePicture(const std::string& path, int pixels, engine::Color4B colour) {
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(pixels * pixels * 4));
        for (std::size_t i = 0; i < rgba.size(); i += 4) {
            rgba[i] = colour.r;
            rgba[i + 1] = colour.g;
            rgba[i + 2] = colour.b;
            rgba[i + 3] = colour.a;
        }
        engine::Image image;
        ASSERT_TRUE(image.initWithRawData(rgba.data(), pixels, pixels));
        ASSERT_TRUE(image.saveToFile(path));
    }

    // Shows `scene` at once: the first scene runs, later ones replace it.
    void present(engine::Scene* scene) {
        engine::Director* director = engine::Director::getInstance();
        if (director->getRunningScene()) {
            director->replaceScene(scene);
            driver->step(0);
        } else {
            driver->runWithScene(scene);
        }
    }

    void tap(const engine::Vec2& point, float hold = 0.1f) {
        driver->touchBegan(point);
        driver->advance(hold);
        driver->touchEnded(point);
        driver->step();
    }

    // A new list of saved programs, shown and drawn once.
    SaveScene* showStoredList() {
        auto* scene = made(engine::Scene::create());
        auto* list = made(SaveScene::create());
        scene->addChild(list);
        present(scene);
        driver->step();
        return list;
    }

    std::unique_ptr<engine::HeadlessDriver> driver;
};
