// The application loop draws only when a frame can change something.
#include "engine/2d/Director.h"
#include "engine/2d/Node.h"
#include "engine/2d/Scene.h"
#include "engine/2d/actions/Actions.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/HeadlessDriver.h"

#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

using namespace engine;

TEST(IdleFrames, AFrameIsNeededOnlyWhileSomethingCanChange) {
    HeadlessDriver driver;
    Director* director = Director::getInstance();
    Scene* scene = Scene::create();
    Node* node = Node::create();
    scene->addChild(node);
    driver.runWithScene(scene);
    driver.step();
    ASSERT_FALSE(director->needsFrame());

    std::atomic<int> wakeUps{0};
    director->getScheduler()->setWakeUpHandler([&] { ++wakeUps; });
    const std::pair<std::string, std::function<void()>> causes[] = {
        {"an action", [&] { node->runAction(DelayTime::create(0.1f)); }},
        {"a timer", [&] { node->scheduleOnce([](float) {}, 0.1f, "once"); }},
        {"a redraw asked for", [&] { director->requestRedraw(); }},
        {"a closure posted by a worker",
         [&] { std::thread([&] { director->getScheduler()->performFunctionInCocosThread([] {}); }).join(); }},
        {"a scene to switch to", [&] { director->replaceScene(Scene::create()); }},
    };
    for (const auto& [name, cause] : causes) {
        SCOPED_TRACE(name);
        cause();
        EXPECT_TRUE(director->needsFrame());
        driver.advance(0.2f);
        EXPECT_FALSE(director->needsFrame());
    }
    EXPECT_EQ(wakeUps, 1);

    director->getScheduler()->setWakeUpHandler(nullptr);
}

} // namespace
