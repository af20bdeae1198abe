#include "widgets/FieldScrollView.h"

#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/platform/Device.h"
#include "engine/platform/HeadlessDriver.h"
#include "tests/support/Made.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace engine;

class RecordingDelegate : public FieldScrollViewDelegate {
public:
    void scrollViewDidScroll(FieldScrollView* view) override { offsets.push_back(view->getContentOffset()); }
    void scrollViewDidZoom(FieldScrollView* view) override {
        zoomOffsets.push_back(view->getContentOffset());
        zoomScales.push_back(view->getZoomScale());
    }

    std::vector<Vec2> offsets;
    std::vector<Vec2> zoomOffsets;
    std::vector<float> zoomScales;
};

constexpr Color4B kBlue(0, 0, 255, 255);
constexpr Color4B kRed(255, 0, 0, 255);

bool isColor(const Color4B& actual, const Color4B& expected) {
    return std::abs(actual.r - expected.r) <= 2 && std::abs(actual.g - expected.g) <= 2 &&
           std::abs(actual.b - expected.b) <= 2;
}

class FieldScrollViewTest : public ::testing::Test {
protected:
    // A view of 400 x 300 at (100, 100) in a fresh scene: its window is
    // (100..500, 100..400) on screen.
    FieldScrollView* makeView(const Size& content, int direction, bool bounceable) {
        scene = made(Scene::create());
        scene->addChild(LayerColor::create(kBlue));
        FieldScrollView* view = made(FieldScrollView::create(Size(400, 300)));
        view->setPosition(100, 100);
        view->setDirection(direction);
        view->bounceable = bounceable;
        view->setContentSize(content);
        view->delegate = &recorder;
        scene->addChild(view);
        driver.runWithScene(scene);
        return view;
    }

    // A listener below everything that records the touches nobody claimed.
    void listenBeneath() {
        auto* listener = made(EventListenerTouchOneByOne::create());
        listener->onTouchBegan = [this](Touch*, Event*) {
            ++touchesBeneath;
            return true;
        };
        Director::getInstance()->getEventDispatcher()->addEventListenerWithFixedPriority(listener, 1);
    }

    // Distance in design units a finger must travel before content follows
    // (the headless frame maps one design unit to one pixel).
    static float threshold() { return FieldScrollView::kMoveInch * static_cast<float>(Device::getDPI()); }

    // Frames until the inertia ends; the count, or -1 when it never ends.
    int settle(FieldScrollView* view, int maxFrames = 2000) {
        for (int frame = 0; frame < maxFrames; ++frame) {
            driver.step();
            if (!view->isDecelerating()) {
                return frame;
            }
        }
        return -1;
    }

    RecordingDelegate recorder;
    HeadlessDriver driver;
    Scene* scene = nullptr;
    int touchesBeneath = 0;
};

// --- the move threshold ---

TEST_F(FieldScrollViewTest, MoveBelowThresholdNeitherScrollsNorStartsInertia) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -500));
    recorder.offsets.clear();

    const float below = std::ceil(threshold()) - 1;
    driver.touchBegan(Vec2(300, 200));
    driver.touchMoved(Vec2(300, 200 + below));
    EXPECT_FALSE(view->isTouchMoved());
    driver.touchEnded(Vec2(300, 200 + below));
    EXPECT_FALSE(view->isDecelerating());
    driver.advance(0.5f);

    EXPECT_EQ(view->getContentOffset(), Vec2(0, -500));
    EXPECT_TRUE(recorder.offsets.empty());
    EXPECT_EQ(view->touches.size(), 0u);
}

TEST_F(FieldScrollViewTest, FirstMovePastThresholdDoesNotMoveTheNextOneDoes) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -500));

    driver.touchBegan(Vec2(300, 200));
    driver.touchMoved(Vec2(300, 200 + std::ceil(threshold()) + 10));
    EXPECT_TRUE(view->isTouchMoved());
    EXPECT_EQ(view->getContentOffset(), Vec2(0, -500));

    driver.touchMoved(Vec2(300, 250));
    EXPECT_FLOAT_EQ(view->getContentOffset().y, -500 + 250 - (200 + std::ceil(threshold()) + 10));
    // A vertical view never follows the finger sideways.
    driver.touchMoved(Vec2(340, 260));
    EXPECT_EQ(view->getContentOffset().x, 0);
    driver.touchEnded(Vec2(340, 260));
}

// --- clamping and past-the-end dragging ---

TEST_F(FieldScrollViewTest, VerticalViewNotBounceableIsClampedOnEveryOffset) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -100));
    recorder.offsets.clear();

    driver.touchBegan(Vec2(300, 110));
    for (int y = 120; y <= 390; y += 15) {
        driver.touchMoved(Vec2(300, static_cast<float>(y)));
    }
    ASSERT_FALSE(recorder.offsets.empty());
    for (const Vec2& offset : recorder.offsets) {
        EXPECT_LE(offset.y, 0.0f);
        EXPECT_GE(offset.y, -1000.0f);
    }
    EXPECT_EQ(view->getContentOffset().y, 0.0f);

    // A direct offset past either end is clamped too.
    view->setContentOffset(Vec2(0, -5000));
    EXPECT_EQ(view->getContentOffset().y, -1000.0f);
    driver.touchEnded(Vec2(300, 390));
}

TEST_F(FieldScrollViewTest, HorizontalViewDragsPastItsEndAtReducedRateThenSlidesBack) {
    FieldScrollView* view = makeView(Size(1200, 300), FieldScrollView::HORIZONTAL, false);
    driver.touchBegan(Vec2(200, 200));
    driver.touchMoved(Vec2(210, 200)); // past the threshold: no movement yet
    driver.touchMoved(Vec2(230, 200)); // in bounds: the full 20
    EXPECT_FLOAT_EQ(view->getContentOffset().x, 20);
    driver.touchMoved(Vec2(250, 200)); // past the end: 0.35 of 20
    EXPECT_FLOAT_EQ(view->getContentOffset().x, 27);
    driver.touchMoved(Vec2(270, 200));
    EXPECT_FLOAT_EQ(view->getContentOffset().x, 34);
    EXPECT_EQ(view->getContentOffset().y, 0);
    driver.touchEnded(Vec2(270, 200));

    // The inertia stops at once (it cannot cross the end) and the content
    // slides back in 0.3 s with an exponential ease-out.
    int frames = 0;
    while (!view->isAnimatingScroll() && frames < 5) {
        driver.step();
        ++frames;
    }
    ASSERT_TRUE(view->isAnimatingScroll());
    EXPECT_FALSE(view->isDecelerating());
    EXPECT_FLOAT_EQ(view->getContentOffset().x, 34);
    driver.step(); // the move's first frame takes no time
    driver.advance(0.15f);
    EXPECT_NEAR(view->getContentOffset().x, 34 * std::pow(2.0f, -5.0f), 0.05f);
    driver.advance(0.15f);
    EXPECT_EQ(view->getContentOffset(), Vec2(0, 0));
    EXPECT_FALSE(view->isAnimatingScroll());
}

// --- inertia ---

TEST_F(FieldScrollViewTest, FlingSlowsByFrictionAndStopsShortOfTheEnd) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -300));
    driver.touchBegan(Vec2(300, 150));
    driver.touchMoved(Vec2(300, 160));
    driver.touchMoved(Vec2(300, 180));
    driver.touchMoved(Vec2(300, 200));
    EXPECT_FLOAT_EQ(view->getContentOffset().y, -260);
    driver.touchEnded(Vec2(300, 200));
    // Release speed: half the last sample (200 - 160) plus 0.01.
    EXPECT_FLOAT_EQ(view->getVelocity().y, 20.01f);
    EXPECT_EQ(view->getVelocity().x, 0.0f);

    recorder.offsets.clear();
    ASSERT_GE(settle(view), 0);
    ASSERT_GE(recorder.offsets.size(), 4u);
    // The first steps: 0.96 of the speed before.
    const float d1 = recorder.offsets[1].y - recorder.offsets[0].y;
    const float d2 = recorder.offsets[2].y - recorder.offsets[1].y;
    EXPECT_NEAR(d2 / d1, 0.96f, 1e-3f);
    for (const Vec2& offset : recorder.offsets) {
        EXPECT_LE(offset.y, 0.0f);
    }
    // Stopped short: the step that would have crossed 0 did not move at all.
    const float last = view->getContentOffset().y;
    EXPECT_LT(last, 0.0f);
    EXPECT_GT(last, -20.01f);
    EXPECT_EQ(view->getVelocity(), Vec2(0, 0));
    EXPECT_FALSE(view->isAnimatingScroll()); // in bounds: nothing to relocate
    EXPECT_EQ(view->getContentOffset().x, 0.0f);
}

TEST_F(FieldScrollViewTest, NewTouchStopsTheInertia) {
    FieldScrollView* view = makeView(Size(400, 5000), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -4000));
    driver.touchBegan(Vec2(300, 150));
    driver.touchMoved(Vec2(300, 160));
    driver.touchMoved(Vec2(300, 200));
    driver.touchMoved(Vec2(300, 240));
    driver.touchEnded(Vec2(300, 240));
    driver.advance(0.1f);
    ASSERT_TRUE(view->isDecelerating());

    driver.touchBegan(Vec2(300, 200));
    EXPECT_EQ(view->getVelocity(), Vec2(0, 0));
    const Vec2 held = view->getContentOffset();
    driver.advance(0.1f);
    EXPECT_FALSE(view->isDecelerating());
    EXPECT_EQ(view->getContentOffset(), held);
    driver.touchEnded(Vec2(300, 200));
}

TEST_F(FieldScrollViewTest, BounceableFlingOvershootsSpringsBackAndRelocates) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, true);
    view->setContentOffset(Vec2(0, -100));
    driver.touchBegan(Vec2(300, 150));
    driver.touchMoved(Vec2(300, 160));
    driver.touchMoved(Vec2(300, 180));
    driver.touchMoved(Vec2(300, 200));
    driver.touchEnded(Vec2(300, 200));

    float highest = -1000;
    bool bounced = false;
    int frames = 0;
    for (; frames < 2000 && (frames < 2 || view->isDecelerating()); ++frames) {
        driver.step();
        highest = std::max(highest, view->getContentOffset().y);
        bounced = bounced || view->getBounceStateY() == -1;
    }
    EXPECT_LT(frames, 2000) << "the inertia never ended";
    EXPECT_GT(highest, 0.0f);
    EXPECT_TRUE(bounced);
    driver.advance(0.5f); // the relocation
    EXPECT_NEAR(view->getContentOffset().y, 0.0f, 1e-4f);
    EXPECT_FALSE(view->isAnimatingScroll());
}

TEST_F(FieldScrollViewTest, BounceThatOvershootsItsTargetOnALongFrameStillEnds) {
    // A long frame makes the return pass the end; the damping that follows
    // must come to rest rather than step forever.
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, true);
    view->setContentOffset(Vec2(0, 60));
    driver.touchBegan(Vec2(300, 300));
    driver.touchMoved(Vec2(300, 290));
    driver.touchMoved(Vec2(300, 270));
    driver.touchMoved(Vec2(300, 250));
    driver.touchEnded(Vec2(300, 250));
    ASSERT_LT(view->getVelocity().y, 0.0f);

    for (int i = 0; i < 6; ++i) {
        driver.step(0.25f);
    }
    EXPECT_GE(settle(view), 0) << "the inertia never ended";
    driver.advance(0.5f);
    const float y = view->getContentOffset().y;
    EXPECT_LE(y, 0.0f);
    EXPECT_GE(y, -1000.0f);
}

TEST_F(FieldScrollViewTest, OneWayViewNeverMovesAcrossItsAxis) {
    // Content wider than the window: a vertical fling must leave x alone.
    FieldScrollView* view = makeView(Size(1200, 1300), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -800));
    driver.touchBegan(Vec2(300, 150));
    driver.touchMoved(Vec2(300, 160));
    driver.touchMoved(Vec2(300, 170));
    driver.touchMoved(Vec2(300, 180));
    driver.touchEnded(Vec2(300, 180));
    EXPECT_EQ(view->getVelocity().x, 0.0f);
    ASSERT_GE(settle(view), 0);
    EXPECT_EQ(view->getContentOffset().x, 0.0f);
}

// --- zoom ---

TEST_F(FieldScrollViewTest, PinchZoomsWithinLimitsAboutTheFingersMidpoint) {
    FieldScrollView* view = makeView(Size(600, 2000), FieldScrollView::VERTICAL, false);
    view->minScale = 0.5f;
    view->maxScale = 1.0f;
    view->setContentOffset(Vec2(0, -900));
    const Vec2 underFingers = view->container->convertToNodeSpace(Vec2(300, 250));

    driver.fingerDown(1, Vec2(200, 250));
    driver.fingerDown(2, Vec2(400, 250));
    ASSERT_EQ(view->touches.size(), 2u);
    EXPECT_FALSE(view->isDragging());

    // Finger 2 halves the distance; the midpoint moves to (250, 250) and the
    // content that was under it goes along (a vertical view pans in y only,
    // so x is checked where the view lets it follow).
    driver.fingerMoved(2, Vec2(300, 250));
    EXPECT_NEAR(view->getZoomScale(), 0.5f, 1e-4f);
    ASSERT_FALSE(recorder.zoomScales.empty());
    // The zoom is reported before the offset is corrected.
    EXPECT_EQ(recorder.zoomOffsets[0], Vec2(0, -900));
    EXPECT_NEAR(view->container->convertToWorldSpace(underFingers).y, 250, 1e-2f);

    driver.fingerMoved(2, Vec2(240, 250)); // further in: held at the minimum
    EXPECT_NEAR(view->getZoomScale(), 0.5f, 1e-4f);
    driver.fingerMoved(2, Vec2(700, 250)); // far out: held at the maximum
    EXPECT_NEAR(view->getZoomScale(), 1.0f, 1e-4f);
    EXPECT_NEAR(view->container->convertToWorldSpace(underFingers).y, 250, 1e-2f);
    // Both fingers up by 30: a pan, the content goes along.
    driver.fingerMoved(1, Vec2(200, 280));
    driver.fingerMoved(2, Vec2(700, 280));
    EXPECT_NEAR(view->container->convertToWorldSpace(underFingers).y, 280, 1e-2f);

    // Lifting a finger of the pair relocates the content into bounds.
    driver.fingerUp(2, Vec2(700, 280));
    driver.fingerUp(1, Vec2(200, 280));
    driver.advance(0.5f);
    const Vec2 offset = view->getContentOffset();
    EXPECT_GE(offset.x, view->minContainerOffset().x - 1e-3f);
    EXPECT_LE(offset.x, view->maxContainerOffset().x + 1e-3f);
    EXPECT_EQ(view->touches.size(), 0u);
}

TEST_F(FieldScrollViewTest, ZoomTweenSetsTheScaleThroughTheClamp) {
    FieldScrollView* view = makeView(Size(600, 2000), FieldScrollView::BOTH, false);
    view->minScale = 0.5f;
    view->maxScale = 2.0f;
    view->updateTweenAction(4.0f, "zoomScale");
    EXPECT_FLOAT_EQ(view->getZoomScale(), 2.0f);
    view->updateTweenAction(0.25f, "zoomScale");
    EXPECT_FLOAT_EQ(view->getZoomScale(), 0.5f);
    EXPECT_EQ(recorder.zoomScales.size(), 2u);
}

// --- claimed touches ---

TEST_F(FieldScrollViewTest, ThirdFingerIsClaimedButInertAndFourthIsRefused) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->minScale = 0.5f;
    view->setContentOffset(Vec2(0, -500));
    listenBeneath();

    driver.fingerDown(1, Vec2(200, 200));
    driver.fingerDown(2, Vec2(300, 200));
    driver.fingerDown(3, Vec2(250, 300));
    EXPECT_EQ(view->touches.size(), 3u);
    EXPECT_EQ(touchesBeneath, 0);

    recorder.offsets.clear();
    driver.fingerMoved(3, Vec2(250, 380));
    driver.fingerMoved(1, Vec2(220, 200)); // with three fingers, no pinch either
    EXPECT_TRUE(recorder.offsets.empty());
    EXPECT_EQ(view->getContentOffset(), Vec2(0, -500));
    EXPECT_FLOAT_EQ(view->getZoomScale(), 1.0f);

    driver.fingerDown(4, Vec2(400, 300));
    EXPECT_EQ(view->touches.size(), 3u);
    EXPECT_EQ(touchesBeneath, 1); // passed on, not swallowed

    for (int finger = 1; finger <= 4; ++finger) {
        driver.fingerUp(finger, Vec2(250, 250));
    }
    EXPECT_EQ(view->touches.size(), 0u);
}

// Fingers seldom land together: catches a second finger refused once the
// first has scrolled (no pinch), and a fling handed to the finger left.
TEST_F(FieldScrollViewTest, ASecondFingerAfterADragHasStartedTurnsItIntoAPinch) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->minScale = 0.5f;
    view->setContentOffset(Vec2(0, -500));
    listenBeneath();
    driver.fingerDown(1, Vec2(200, 200));
    driver.fingerMoved(1, Vec2(200, 230));
    ASSERT_TRUE(view->isTouchMoved());
    driver.fingerDown(2, Vec2(300, 230));
    EXPECT_EQ(view->touches.size(), 2u);
    EXPECT_EQ(touchesBeneath, 0);
    EXPECT_FALSE(view->isDragging());
    driver.fingerMoved(2, Vec2(250, 230));
    EXPECT_NEAR(view->getZoomScale(), 0.5f, 1e-4f);
    driver.fingerUp(2, Vec2(250, 230));
    driver.advance(0.5f);
    const Vec2 settled = view->getContentOffset();
    driver.fingerMoved(1, Vec2(200, 300)); // the finger left does not scroll
    driver.fingerUp(1, Vec2(200, 300));
    driver.advance(0.5f);
    EXPECT_EQ(view->getContentOffset(), settled);
}

TEST_F(FieldScrollViewTest, TouchesOutsideTheWindowOrUnderAHiddenAncestorAreRefused) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    listenBeneath();
    driver.touchBegan(Vec2(50, 50));
    driver.touchEnded(Vec2(50, 50));
    EXPECT_EQ(touchesBeneath, 1);

    auto* holder = made(Node::create());
    scene->addChild(holder);
    view->retain();
    view->removeFromParent();
    holder->addChild(view);
    view->release();
    holder->setVisible(false);
    driver.step();
    EXPECT_FALSE(view->onTouchBegan(nullptr, nullptr));
}

TEST_F(FieldScrollViewTest, TouchEndingWhileTheViewIsHiddenIsStillLetGo) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -500));
    driver.touchBegan(Vec2(300, 200));
    view->setVisible(false);
    driver.touchEnded(Vec2(300, 200));
    EXPECT_EQ(view->touches.size(), 0u);

    // The next single finger drags; it is not taken for the second of a pinch.
    view->setVisible(true);
    driver.touchBegan(Vec2(300, 200));
    EXPECT_TRUE(view->isDragging());
    driver.touchMoved(Vec2(300, 220));
    driver.touchMoved(Vec2(300, 250));
    EXPECT_FLOAT_EQ(view->getContentOffset().y, -470);
    driver.touchEnded(Vec2(300, 250));
}

// A card on the view claims its touch without swallowing, so the view beneath
// claims it too; once the card is lifted (a long press, or the short lift of a
// placed card) it swallows, and the view must let go of the touch at once.
TEST_F(FieldScrollViewTest, ACardThatStartsSwallowingTakesTheTouchAndTheViewScrollsAgainAfterwards) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -500));
    Node* card = made(Node::create());
    view->addChild(card);
    float liftDelay = 0;
    auto* listener = made(EventListenerTouchOneByOne::create());
    listener->onTouchBegan = [&, card, listener](Touch*, Event*) {
        card->scheduleOnce([listener](float) { listener->setSwallowTouches(true); }, liftDelay, "lift");
        return true;
    };
    listener->onTouchEnded = [card, listener](Touch*, Event*) {
        card->unschedule("lift");
        listener->setSwallowTouches(false);
    };
    card->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, card);

    for (const float delay : {0.5f, 0.05f}) {
        SCOPED_TRACE(delay);
        liftDelay = delay;
        driver.touchBegan(Vec2(300, 200));
        ASSERT_EQ(view->touches.size(), 1u);
        driver.advance(delay + 0.1f);
        ASSERT_TRUE(listener->isSwallowTouches());
        EXPECT_EQ(view->touches.size(), 0u); // cancelled
        EXPECT_FALSE(view->isDragging());
        const Vec2 held = view->getContentOffset();
        driver.touchMoved(Vec2(300, 300)); // the card's drag
        driver.touchEnded(Vec2(300, 300));
        EXPECT_EQ(view->getContentOffset(), held);

        // The next one-finger drag scrolls by the finger's distance, not as
        // the second finger of a pinch.
        const float crossed = 200 + std::ceil(threshold()) + 10;
        driver.touchBegan(Vec2(300, 200));
        driver.touchMoved(Vec2(300, crossed));
        const float before = view->getContentOffset().y;
        driver.touchMoved(Vec2(300, crossed + 40));
        EXPECT_FLOAT_EQ(view->getContentOffset().y, before + 40);
        driver.touchEnded(Vec2(300, crossed + 40));
    }
}

// --- animated scroll ---

TEST_F(FieldScrollViewTest, AnimatedScrollEasesOutOverTwiceItsDurationReportingEveryFrame) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    recorder.offsets.clear();
    view->setContentOffset(Vec2(0, -640), true);
    driver.step(); // the first frame of a move takes no time
    driver.advance(0.15f);
    // Exponential ease-out halfway through: 1 - 2^-5 of the way.
    EXPECT_NEAR(view->getContentOffset().y, -640 * (1 - std::pow(2.0f, -5.0f)), 0.05f);
    driver.advance(0.15f);
    EXPECT_EQ(view->getContentOffset().y, -640.0f);
    EXPECT_FALSE(view->isAnimatingScroll());
    EXPECT_GE(recorder.offsets.size(), 18u);
    EXPECT_EQ(recorder.offsets.back().y, -640.0f);

    // After the end, nothing more is reported.
    const std::size_t reported = recorder.offsets.size();
    driver.advance(0.2f);
    EXPECT_EQ(recorder.offsets.size(), reported);
}

TEST_F(FieldScrollViewTest, NewAnimatedScrollReplacesTheRunningOne) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->setContentOffset(Vec2(0, -900), true);
    driver.advance(0.1f);
    view->setContentOffsetInDuration(Vec2(0, -100), 0.1f);
    driver.advance(0.5f);
    EXPECT_EQ(view->getContentOffset().y, -100.0f);
}

// --- clipping ---

TEST_F(FieldScrollViewTest, ContentShowsOnlyInsideTheWindow) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    view->addChild(LayerColor::create(kRed, 1000, 1300));
    driver.step();
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(300, 250)), kRed));
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(600, 250)), kBlue));
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(300, 450)), kBlue));
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(90, 250)), kBlue));

    view->setClippingToBounds(false);
    driver.step();
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(600, 250)), kRed));
}

TEST_F(FieldScrollViewTest, NestedWindowsClipToTheirIntersection) {
    FieldScrollView* outer = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    // Outer window: (100..500, 100..400). Inner window: (300..700, 300..600).
    FieldScrollView* inner = made(FieldScrollView::create(Size(400, 300)));
    inner->setPosition(200, 200);
    inner->addChild(LayerColor::create(kRed, 2000, 2000));
    outer->addChild(inner);
    ASSERT_EQ(inner->getParent(), outer->container);
    driver.step();

    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(350, 350)), kRed));  // in both
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(490, 390)), kRed));  // in both, at the corner
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(550, 350)), kBlue)); // inner only
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(350, 450)), kBlue)); // inner only
    EXPECT_TRUE(isColor(driver.pixelAt(Vec2(250, 250)), kBlue)); // outer only

    // An inner window wholly outside the outer one shows nothing.
    inner->setPosition(450, 0);
    driver.step();
    for (const Vec2& point : {Vec2(600, 250), Vec2(450, 250), Vec2(300, 250), Vec2(800, 150)}) {
        EXPECT_TRUE(isColor(driver.pixelAt(point), kBlue)) << point.x << "," << point.y;
    }
}

// --- structure ---

TEST_F(FieldScrollViewTest, ChildrenGoIntoTheContainerWhichAlwaysStays) {
    FieldScrollView* view = makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    EXPECT_EQ(view->getContentSize(), Size(400, 1300));
    EXPECT_EQ(static_cast<Node*>(view)->getContentSize(), Size(400, 300));
    EXPECT_EQ(view->container->getAnchorPoint(), Vec2(0, 0));

    Node* a = made(Node::create());
    Node* b = made(Node::create());
    Node* c = made(Node::create());
    view->addChild(a);
    view->addChild(b, 3);
    view->addChild(c, 1, "c");
    EXPECT_EQ(view->getChildrenCount(), 1u);
    EXPECT_EQ(view->container->getChildrenCount(), 3u);
    EXPECT_EQ(view->container->getChildByName("c"), c);
    view->removeChild(b);
    EXPECT_EQ(view->container->getChildrenCount(), 2u);
    view->removeAllChildren();
    EXPECT_EQ(view->container->getChildrenCount(), 0u);
    EXPECT_EQ(view->getChildrenCount(), 1u);
    EXPECT_EQ(view->getChildren().at(0), view->container);
}

TEST_F(FieldScrollViewTest, ViewRectThroughScaledAncestors) {
    makeView(Size(400, 1300), FieldScrollView::VERTICAL, false);
    FieldScrollView* plain = made(FieldScrollView::create());

    auto* holder = made(Node::create());
    holder->setPosition(500, 100);
    holder->setScale(-0.5f, 2.0f);
    scene->addChild(holder);
    holder->addChild(plain);
    plain->setPosition(10, 20);
    const Rect rect = plain->getViewRect();
    EXPECT_FLOAT_EQ(rect.origin.x, 500 - 5 - 100);
    EXPECT_FLOAT_EQ(rect.origin.y, 140);
    EXPECT_FLOAT_EQ(rect.size.width, 100);
    EXPECT_FLOAT_EQ(rect.size.height, 400);
}

} // namespace
