#pragma once

// Shared set-up of the card tests: a headless engine with an empty scene, the
// jam dialect that the cards are made in, and taps at design points.

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/TextureCache.h"
#include "engine/platform/HeadlessDriver.h"
#include "tests/support/Made.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

class CardScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver = std::make_unique<engine::HeadlessDriver>();
        scene = made(engine::Scene::create());
        driver->runWithScene(scene);
    }
    void TearDown() override { driver.reset(); }

    static pavlune::CatalogueView jamView() { return pavlune::CatalogueView(pavlune::jam, pavlune::basic); }

    void tap(const engine::Vec2& point) {
        driver->touchBegan(point);
        driver->step();
        driver->touchEnded(point);
        driver->step();
    }

    static engine::Texture2D* texture(const std::string& path) {
        return engine::Director::getInstance()->getTextureCache()->addImage(path);
    }

    // Draws and writes a frame for a person to look at, when
    // PAVLUNE_CARD_FRAMES names a folder.
    void keepFrame(const std::string& name) const {
        if (const char* folder = std::getenv("PAVLUNE_CARD_FRAMES")) {
            driver->step(0);
            driver->saveFrame(std::string(folder) + "/" + name + ".png");
        }
    }

    std::unique_ptr<engine::HeadlessDriver> driver;
    engine::Scene* scene = nullptr;
};
