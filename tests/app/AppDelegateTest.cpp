#include "app/AppDelegate.h"

#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/events/EventCustom.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/base/FileUtils.h"
#include "engine/platform/GLView.h"
#include "engine/platform/HeadlessDriver.h"
#include "saves/SaveScene.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class AppDelegateTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-app-XXXXXX";
        const char* folder = ::mkdtemp(pattern);
        ASSERT_NE(folder, nullptr);
        root = folder;
        engine::FileUtils::getInstance()->setWritablePath(root);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    std::string root;
    engine::HeadlessDriver driver;
    AppDelegate app;
    engine::Application& application = *engine::Application::getInstance();
};

TEST_F(AppDelegateTest, LaunchingShowsTheListAtTheDesignResolutionAndContentScale) {
    ASSERT_TRUE(application.applicationDidFinishLaunching());
    driver.step(0);
    engine::Director* director = engine::Director::getInstance();
    EXPECT_FLOAT_EQ(director->getContentScaleFactor(), 2.0f);
    EXPECT_DOUBLE_EQ(director->getAnimationInterval(), 1.0 / 60);
    const engine::GLView* view = director->getOpenGLView();
    EXPECT_EQ(view->getDesignResolutionSize().width, 1024);
    EXPECT_EQ(view->getDesignResolutionSize().height, 768);
    EXPECT_EQ(view->getResolutionPolicy(), engine::ResolutionPolicy::SHOW_ALL);
    engine::Scene* scene = director->getRunningScene();
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->getChildrenCount(), 1u);
    EXPECT_NE(dynamic_cast<SaveScene*>(scene->getChildren().at(0)), nullptr);
    // The store was opened in the writable folder: its list file exists.
    EXPECT_TRUE(std::filesystem::exists(root + "/savedatas/list.plist"));
}

TEST_F(AppDelegateTest, ComingBackStartsTheFramesBeforeTellingTheListeners) {
    ASSERT_TRUE(application.applicationDidFinishLaunching());
    driver.step(0);
    engine::Director* director = engine::Director::getInstance();
    std::vector<bool> animatingWhenHeard;
    director->getEventDispatcher()->addCustomEventListener(
        "PAVLUNE_EVENT_ENTER_FORGROUND",
        [&](engine::EventCustom*) { animatingWhenHeard.push_back(director->isAnimating()); });

    application.applicationDidEnterBackground();
    EXPECT_FALSE(director->isAnimating());
    EXPECT_TRUE(animatingWhenHeard.empty());
    application.applicationWillEnterForeground();
    application.applicationWillEnterForeground();
    EXPECT_EQ(animatingWhenHeard, (std::vector<bool>{true, true}));
}

} // namespace
