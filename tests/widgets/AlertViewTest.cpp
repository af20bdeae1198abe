#include "widgets/AlertView.h"

#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/2d/actions/FadeIn.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "tests/support/Made.h"
#include "widgets/Design.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace engine;

// Places on the design area: the window spans (192..832, 204..564), OK
// (242..482, 244..324) and Cancel (542..782, 244..324).
constexpr Vec2 kOk(362, 284);
constexpr Vec2 kCancel(662, 284);
constexpr Vec2 kWindowOnly(512, 480);
constexpr Vec2 kOutside(60, 60);
constexpr std::size_t kOkChild = 2;
constexpr std::size_t kCancelChild = 3;

const std::string kMessage = "えらんだソースコードを消しますか？";

class AlertViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        scene = made(Scene::create());
        // A full-screen layer beneath the box that takes every touch it gets.
        beneath = made(LayerColor::create(Color4B(105, 208, 238, 255)));
        auto* listener = made(EventListenerTouchOneByOne::create());
        listener->setSwallowTouches(true);
        listener->onTouchBegan = [this](Touch*, Event*) {
            ++touchesBeneath;
            return true;
        };
        Director::getInstance()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener,
                                                                                              beneath);
        scene->addChild(beneath);

        alert = made(AlertView::create(kMessage));
        alert->onOk = [this](AlertView* view) { calls.push_back(view == alert ? "ok" : "ok?"); };
        alert->onCancel = [this](AlertView* view) { calls.push_back(view == alert ? "cancel" : "cancel?"); };
        alert->onOutside = [this](AlertView* view) {
            calls.push_back(view == alert ? "outside" : "outside?");
        };
        // Shown as the list shows it: transparent, then faded in.
        scene->addChild(alert);
        alert->setOpacity(0);
        alert->runAction(FadeIn::create(AlertView::kFadeDuration));
        driver.runWithScene(scene);
        driver.advance(0.1f);
    }

    void tap(const Vec2& point) {
        driver.touchBegan(point);
        driver.touchEnded(point);
    }

    Node* child(std::size_t index) const { return alert->getChildren().at(index); }

    HeadlessDriver driver;
    Scene* scene = nullptr;
    LayerColor* beneath = nullptr;
    AlertView* alert = nullptr;
    int touchesBeneath = 0;
    std::vector<std::string> calls;
};

// Where the buttons are is what the taps below find; here: the message is
// shown on the box, and the fade reaches every child (a box whose opacity did
// not cascade would leave its message and buttons transparent).
TEST_F(AlertViewTest, TheMessageShowsOnTheBoxAndTheFadeReachesEveryChild) {
    const Label* label = nullptr;
    for (const Node* node : alert->getChildren()) {
        label = label ? label : dynamic_cast<const Label*>(node);
    }
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->getString(), kMessage);
    EXPECT_TRUE(child(1)->getBoundingBox().containsPoint(label->getPosition()));
    for (const Node* node : alert->getChildren()) {
        EXPECT_EQ(node->getDisplayedOpacity(), 255);
    }
}

TEST_F(AlertViewTest, EachPlaceCallsOnlyItsOwnCallbackAndNothingBeneathReacts) {
    tap(kOk);
    tap(kCancel);
    tap(kWindowOnly);
    tap(kOutside);
    tap(Vec2(1000, 740));
    EXPECT_EQ(calls, (std::vector<std::string>{"ok", "cancel", "outside", "outside"}));
    EXPECT_EQ(touchesBeneath, 0);
}

// Catches a Cancel button left on a box that only informs, or one that is
// hidden yet still answers, and a lone OK left where it sat beside Cancel:
// the button's pink, read across its middle row, spans 240 units centred on
// the window's centre line (x = 512).
TEST_F(AlertViewTest, ABoxThatOnlyInformsHasOnlyOkInTheMiddle) {
    const std::size_t children = alert->getChildren().size();
    alert->informOnly();
    driver.step();
    EXPECT_EQ(alert->getChildren().size(), children - 1);
    Image frame;
    ASSERT_TRUE(driver.capture(frame));
    const auto at = [&](float x) {
        const Vec2 pixel = driver.toFrame(Vec2(x, kOk.y));
        return frame.getPixel(static_cast<int>(pixel.x), static_cast<int>(pixel.y));
    };
    const Color4B window = driver.pixelAt(kWindowOnly);
    float left = 0;
    float right = 0;
    for (float x = 212; x < 812; ++x) {
        if (at(x) != window) {
            left = left > 0 ? left : x;
            right = x;
        }
    }
    EXPECT_NEAR((left + right) / 2, 512, 1);
    EXPECT_NEAR(right - left, 240, 4);
    tap(kCancel);
    tap(kOk);
    tap(Vec2(512, kOk.y));
    EXPECT_EQ(calls, (std::vector<std::string>{"ok"})) << "where Cancel and OK were is now the window";
    EXPECT_EQ(touchesBeneath, 0);
}

TEST_F(AlertViewTest, PressedButtonDimsUntilReleaseAndReleaseOutsideDoesNothing) {
    driver.touchBegan(kOk);
    EXPECT_EQ(child(kOkChild)->getOpacity(), design::kPressedOpacity);
    EXPECT_EQ(child(kCancelChild)->getOpacity(), 255);
    driver.touchMoved(kWindowOnly);
    EXPECT_EQ(child(kOkChild)->getOpacity(), design::kPressedOpacity);
    driver.touchEnded(kWindowOnly);
    EXPECT_EQ(child(kOkChild)->getOpacity(), 255);

    // Begun off the button and released on it: nothing either.
    driver.touchBegan(kWindowOnly);
    driver.touchMoved(kCancel);
    driver.touchEnded(kCancel);
    EXPECT_EQ(child(kCancelChild)->getOpacity(), 255);

    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(touchesBeneath, 0);
}

TEST_F(AlertViewTest, CloseDropsTheCallbacksAtOnceAndRemovesTheBoxAfterTheFade) {
    alert->onOk = [this](AlertView* view) {
        calls.push_back("ok");
        view->close();
    };
    alert->retain(); // observed after it leaves the scene
    tap(kOk);
    EXPECT_FALSE(alert->onOk);
    EXPECT_FALSE(alert->onCancel);
    EXPECT_FALSE(alert->onOutside);

    // During the fade the box still takes the touches, but calls nothing.
    driver.step();
    tap(kOk);
    tap(kOutside);
    EXPECT_EQ(calls, (std::vector<std::string>{"ok"}));
    EXPECT_EQ(touchesBeneath, 0);

    driver.advance(0.1f);
    EXPECT_EQ(alert->getParent(), nullptr);
    tap(kOk);
    EXPECT_EQ(touchesBeneath, 1);
    alert->release();
}

// Set by the destructor of what a callback captures; read without touching
// the callback's own state, which may be gone.
bool witnessDestroyed = false;
bool witnessDestroyedDuringCall = true;

struct Witness {
    ~Witness() { witnessDestroyed = true; }
};

TEST_F(AlertViewTest, CallbackThatClosesTheBoxRunsToItsEnd) {
    // Closing empties the very callback that is running; what it captured
    // must live until it returns.
    witnessDestroyed = false;
    alert->onCancel = [witness = std::make_shared<Witness>()](AlertView* view) {
        view->close();
        witnessDestroyedDuringCall = witnessDestroyed;
    };
    tap(kCancel);
    EXPECT_FALSE(witnessDestroyedDuringCall);
    EXPECT_TRUE(witnessDestroyed); // and let go afterwards
}

TEST_F(AlertViewTest, CallbackThatDoesNotCloseLeavesTheBoxActive) {
    tap(kOutside);
    driver.advance(0.5f);
    EXPECT_EQ(alert->getParent(), scene);
    tap(kCancel);
    EXPECT_EQ(calls, (std::vector<std::string>{"outside", "cancel"}));
}

} // namespace
