#include "engine/2d/Director.h"
#include "engine/2d/Node.h"
#include "engine/2d/Scene.h"
#include "engine/2d/actions/Actions.h"
#include "engine/base/AutoreleasePool.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/HeadlessDriver.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace engine;

constexpr float kFrame = 1.0f / 60.0f;

// A node that reports its own destruction.
class TrackedNode : public Node {
public:
    static TrackedNode* create(bool* destroyed) {
        auto* node = new TrackedNode();
        node->destroyed_ = destroyed;
        node->init();
        node->autorelease();
        return node;
    }
    ~TrackedNode() override {
        if (destroyed_)
            *destroyed_ = true;
    }

private:
    bool* destroyed_ = nullptr;
};

class TweenedNode : public Node, public ActionTweenDelegate {
public:
    static TweenedNode* create() {
        auto* node = new TweenedNode();
        node->init();
        node->autorelease();
        return node;
    }
    void updateTweenAction(float value, const std::string& key) override {
        values.push_back(value);
        keys.push_back(key);
    }
    std::vector<float> values;
    std::vector<std::string> keys;
};

// Actions driven straight through the director's action manager, frame by
// frame, on nodes below a running root.
class ActionTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager = Director::getInstance()->getActionManager();
        root = Node::create();
        root->retain();
        root->onEnter();
    }
    void TearDown() override {
        root->onExit();
        root->cleanup();
        root->release();
        AutoreleasePool::current().clear();
        Director::destroyInstance();
    }

    Node* addNode() {
        Node* node = Node::create();
        root->addChild(node);
        return node;
    }
    // Steps until `done` holds; answers the number of steps (or -1).
    template <typename Pred> int stepUntil(Pred done, float dt = kFrame, int limit = 10000) {
        for (int i = 1; i <= limit; ++i) {
            manager->update(dt);
            if (done())
                return i;
        }
        return -1;
    }
    void steps(int count, float dt = kFrame) {
        for (int i = 0; i < count; ++i)
            manager->update(dt);
    }

    ActionManager* manager = nullptr;
    Node* root = nullptr;
};

TEST_F(ActionTest, DelayThenCallFuncFiresOnTheFrameThatCrossesTheDelay) {
    // The first step after the start counts as (almost) no time, so at 60 frames a
    // second the elapsed time is 0, 1/60, 2/60, 3/60 (just over 0.05) ...
    Node* node = addNode();
    int firedAtStep = 0;
    int step = 0;
    node->runAction(
        Sequence::create(DelayTime::create(0.05f), CallFunc::create([&] { firedAtStep = step; })));
    for (step = 1; step <= 10; ++step)
        manager->update(kFrame);
    EXPECT_EQ(firedAtStep, 4);

    // With 20 ms frames: 0, 0.02, 0.04, 0.06: the fourth frame again, not the third.
    firedAtStep = 0;
    node->runAction(
        Sequence::create(DelayTime::create(0.05f), CallFunc::create([&] { firedAtStep = step; })));
    for (step = 1; step <= 10; ++step)
        manager->update(0.02f);
    EXPECT_EQ(firedAtStep, 4);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0u);
}

TEST_F(ActionTest, AnInstantActionRunsInTheSameStepThatEndsTheOneBeforeIt) {
    Node* node = addNode();
    Vec2 positionSeenByCall(-1, -1);
    int calls = 0;
    node->runAction(Sequence::create(MoveTo::create(0.1f, Vec2(100, 50)), CallFunc::create([&] {
                                         ++calls;
                                         positionSeenByCall = node->getPosition();
                                     })));
    const int stepsToEnd = stepUntil([&] { return calls > 0; });
    EXPECT_EQ(positionSeenByCall, Vec2(100, 50));
    EXPECT_EQ(stepsToEnd, 7); // elapsed 6/60 = 0.1 on the seventh step
    steps(10);
    EXPECT_EQ(calls, 1);
}

TEST_F(ActionTest, SequenceAndSpawnDurationsAndProgress) {
    auto* sequence = Sequence::create(DelayTime::create(0.25f), MoveBy::create(0.25f, Vec2(100, 0)),
                                      CallFunc::create([] {}), nullptr);
    EXPECT_FLOAT_EQ(sequence->getDuration(), 0.5f);
    auto* spawn = Spawn::create(MoveTo::create(0.25f, Vec2(0, 80)), ScaleTo::create(0.5f, 3.0f));
    EXPECT_FLOAT_EQ(spawn->getDuration(), 0.5f);
    EXPECT_NEAR(Sequence::create(CallFunc::create([] {}))->getDuration(), 0.0f, 1e-5f); // instant

    // 1/16 s frames keep the sums exact.
    const float dt = 0.0625f;
    Node* a = addNode();
    a->runAction(sequence);
    Node* b = addNode();
    b->runAction(spawn);
    manager->update(dt); // the start: no time
    steps(4, dt);        // 0.25 s: the delay is over, the move has not begun
    EXPECT_NEAR(a->getPositionX(), 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(b->getPositionY(), 80.0f); // the shorter spawned action is complete
    EXPECT_NEAR(b->getScale(), 2.0f, 1e-4f);
    steps(2, dt); // 0.375 s
    EXPECT_NEAR(a->getPositionX(), 50.0f, 1e-3f);
    EXPECT_EQ(a->getNumberOfRunningActions(), 1u);
    steps(2, dt); // 0.5 s
    EXPECT_FLOAT_EQ(a->getPositionX(), 100.0f);
    EXPECT_FLOAT_EQ(b->getScale(), 3.0f);
    EXPECT_EQ(a->getNumberOfRunningActions(), 0u);
    EXPECT_EQ(b->getNumberOfRunningActions(), 0u);
}

TEST_F(ActionTest, ALongFrameRunsASkippedFirstActionWhole) {
    Node* node = addNode();
    std::string log;
    node->runAction(Sequence::create(CallFunc::create([&] { log += 'a'; }), DelayTime::create(0.1f),
                                     CallFunc::create([&] { log += 'b'; }),
                                     CallFunc::create([&] { log += 'c'; })));
    manager->update(kFrame);
    EXPECT_EQ(log, "a");
    manager->update(1.0f); // far past the end
    EXPECT_EQ(log, "abc");
    steps(3);
    EXPECT_EQ(log, "abc");
}

TEST_F(ActionTest, RepeatRunsItsActionTheGivenNumberOfTimes) {
    Node* node = addNode();
    int count = 0;
    node->runAction(
        Repeat::create(Sequence::create(DelayTime::create(0.1f), CallFunc::create([&] { ++count; })), 3));
    steps(200);
    EXPECT_EQ(count, 3);

    // Time past a round's end is carried into the next round.
    Node* mover = addNode();
    auto* repeat = Repeat::create(MoveBy::create(0.25f, Vec2(10, 0)), 4);
    EXPECT_FLOAT_EQ(repeat->getDuration(), 1.0f);
    mover->runAction(repeat);
    manager->update(0.1875f); // start
    manager->update(0.1875f);
    manager->update(0.1875f); // 0.375 s: one round and half of the next
    EXPECT_NEAR(mover->getPositionX(), 15.0f, 1e-3f);
    steps(10, 0.1875f);
    EXPECT_NEAR(mover->getPositionX(), 40.0f, 1e-3f);
}

TEST_F(ActionTest, RepeatForeverKeepsTurning) {
    Node* node = addNode();
    node->runAction(RepeatForever::create(RotateBy::create(1.0f, 360.0f)));
    int ticks = 0;
    Node* ticker = addNode();
    ticker->runAction(
        RepeatForever::create(Sequence::create(DelayTime::create(0.5f), CallFunc::create([&] { ++ticks; }))));
    steps(601); // 600 frames of time after the start: 10 s
    EXPECT_NEAR(node->getRotation(), 3600.0f, 1.0f);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1u);
    EXPECT_GE(ticks, 19);
    EXPECT_LE(ticks, 20);
    steps(60);
    EXPECT_NEAR(node->getRotation(), 3960.0f, 1.0f);
}

TEST_F(ActionTest, EaseExponentialOutShape) {
    EXPECT_FLOAT_EQ(EaseExponentialOut::ease(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(EaseExponentialOut::ease(0.1f), 0.5f);
    EXPECT_FLOAT_EQ(EaseExponentialOut::ease(0.5f), 1.0f - 1.0f / 32.0f);
    EXPECT_FLOAT_EQ(EaseExponentialOut::ease(1.0f), 1.0f);
    float previous = 0;
    for (int i = 1; i <= 100; ++i) {
        const float value = EaseExponentialOut::ease(static_cast<float>(i) / 100);
        EXPECT_GT(value, previous);
        previous = value;
    }

    Node* node = addNode();
    node->runAction(EaseExponentialOut::create(MoveTo::create(1.0f, Vec2(100, 0))));
    manager->update(0.125f);
    manager->update(0.125f); // t = 0.125: 1 - 2^-1.25
    EXPECT_NEAR(node->getPositionX(), 100.0f * (1.0f - std::pow(2.0f, -1.25f)), 1e-3f);
    steps(8, 0.125f);
    EXPECT_FLOAT_EQ(node->getPositionX(), 100.0f);
}

TEST_F(ActionTest, RotateToTakesTheShortestWayAndTurnsIn3D) {
    Node* node = addNode();
    node->setRotation(350);
    node->runAction(RotateTo::create(1.0f, 10.0f));
    manager->update(0.5f);
    manager->update(0.5f);
    EXPECT_NEAR(node->getRotation(), 360.0f, 1e-3f); // forwards through 0, not back 340 degrees
    steps(2, 0.5f);
    EXPECT_NEAR(node->getRotation(), 370.0f, 1e-3f);

    node->setRotation(-170);
    node->runAction(RotateTo::create(1.0f, 170.0f));
    steps(3, 0.5f);
    EXPECT_NEAR(node->getRotation(), -190.0f, 1e-3f);

    Node* card = addNode();
    card->runAction(
        Sequence::create(RotateTo::create(0.2f, Vec3(0, 90, 0)), RotateTo::create(0.2f, Vec3(0, 0, 0))));
    manager->update(0.1f);
    manager->update(0.1f);
    EXPECT_NEAR(card->getRotation3D().y, 45.0f, 1e-3f);
    manager->update(0.1f);
    EXPECT_NEAR(card->getRotation3D().y, 90.0f, 1e-3f); // edge-on
    steps(3, 0.1f);
    EXPECT_NEAR(card->getRotation3D().y, 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(card->getRotation3D().x, 0.0f);
}

TEST_F(ActionTest, FadesScalesAndStackedMoves) {
    Node* node = addNode();
    node->setOpacity(0);
    node->runAction(FadeIn::create(0.5f));
    node->runAction(ScaleTo::create(0.5f, 2.0f, 0.5f));
    node->runAction(MoveBy::create(0.5f, Vec2(10, 0)));
    node->runAction(MoveBy::create(0.5f, Vec2(0, 20))); // moves add up
    manager->update(0.25f);
    manager->update(0.25f);
    EXPECT_EQ(node->getOpacity(), 127);
    EXPECT_NEAR(node->getScaleX(), 1.5f, 1e-4f);
    EXPECT_NEAR(node->getScaleY(), 0.75f, 1e-4f);
    EXPECT_NEAR(node->getPositionX(), 5.0f, 1e-3f);
    EXPECT_NEAR(node->getPositionY(), 10.0f, 1e-3f);
    manager->update(0.25f);
    EXPECT_EQ(node->getOpacity(), 255);
    EXPECT_NEAR(node->getPositionX(), 10.0f, 1e-4f);
    EXPECT_NEAR(node->getPositionY(), 20.0f, 1e-4f);

    node->runAction(FadeOut::create(0.1f));
    steps(2, 0.1f);
    EXPECT_EQ(node->getOpacity(), 0);
    node->runAction(FadeTo::create(0.1f, 192));
    steps(2, 0.1f);
    EXPECT_EQ(node->getOpacity(), 192);
}

TEST_F(ActionTest, ActionTweenHandsValuesToItsDelegate) {
    auto* node = TweenedNode::create();
    root->addChild(node);
    node->runAction(ActionTween::create(1.0f, "zoom", 1.0f, 3.0f));
    steps(3, 0.5f);
    ASSERT_EQ(node->values.size(), 3u);
    EXPECT_NEAR(node->values[0], 1.0f, 1e-4f);
    EXPECT_NEAR(node->values[1], 2.0f, 1e-4f);
    EXPECT_FLOAT_EQ(node->values[2], 3.0f);
    EXPECT_EQ(node->keys[2], "zoom");

    Node* plain = addNode(); // not a delegate: the tween just runs out
    plain->runAction(ActionTween::create(0.1f, "zoom", 0, 1));
    steps(3, 0.1f);
    EXPECT_EQ(plain->getNumberOfRunningActions(), 0u);
}

TEST_F(ActionTest, ClonesAreFreshAndIndependent) {
    auto* original = Sequence::create(MoveBy::create(0.5f, Vec2(10, 0)), RotateBy::create(0.5f, 90.0f));
    Node* a = addNode();
    Node* b = addNode();
    a->runAction(original);
    steps(3, 0.25f);
    b->runAction(original->clone());
    steps(5, 0.25f);
    EXPECT_EQ(a->getPosition(), Vec2(10, 0));
    EXPECT_EQ(b->getPosition(), Vec2(10, 0));
    EXPECT_FLOAT_EQ(b->getRotation(), 90.0f);
}

TEST_F(ActionTest, FinishedAndRemovedActionsAreReleasedAndTaggedLookupsWork) {
    Node* node = addNode();
    auto* finishing = DelayTime::create(0.1f);
    auto* stopped = DelayTime::create(5.0f);
    finishing->retain();
    stopped->retain();
    stopped->setTag(7);
    node->runAction(finishing);
    node->runAction(stopped);
    AutoreleasePool::current().clear();
    EXPECT_EQ(finishing->getReferenceCount(), 2u);
    EXPECT_EQ(node->getActionByTag(7), stopped);
    EXPECT_EQ(node->getActionByTag(8), nullptr);

    steps(10);
    EXPECT_EQ(finishing->getReferenceCount(), 1u);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1u);
    node->stopActionByTag(7);
    EXPECT_EQ(stopped->getReferenceCount(), 1u);
    EXPECT_EQ(node->getNumberOfRunningActions(), 0u);
    finishing->release();
    stopped->release();
}

TEST_F(ActionTest, PausedTargetsDoNotAdvance) {
    Node* node = addNode();
    node->runAction(MoveBy::create(1.0f, Vec2(100, 0)));
    manager->update(0.5f);
    manager->pauseTarget(node);
    steps(10, 0.5f);
    EXPECT_NEAR(node->getPositionX(), 0.0f, 1e-3f);
    manager->resumeTarget(node);
    manager->update(0.5f);
    EXPECT_NEAR(node->getPositionX(), 50.0f, 1e-3f);

    // A node that is not running starts its actions paused.
    Node* offstage = Node::create();
    offstage->runAction(MoveBy::create(1.0f, Vec2(100, 0)));
    steps(5, 0.5f);
    EXPECT_FLOAT_EQ(offstage->getPositionX(), 0.0f);
}

TEST_F(ActionTest, RemoveSelfAndATargetRemovedInItsOwnCallbackAreSafe) {
    bool destroyed = false;
    auto* node = TrackedNode::create(&destroyed);
    root->addChild(node);
    node->runAction(
        Sequence::create(DelayTime::create(0.05f), RemoveSelf::create(), CallFunc::create([] {})));
    AutoreleasePool::current().clear(); // the parent (and the action manager) hold it now
    steps(10);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(root->getChildrenCount(), 0u);

    destroyed = false;
    auto* other = TrackedNode::create(&destroyed);
    root->addChild(other);
    bool sawParentGone = false;
    other->runAction(Sequence::create(DelayTime::create(0.05f), CallFunc::create([&] {
                                          other->removeFromParentAndCleanup(true);
                                          sawParentGone =
                                              other->getParent() == nullptr; // still alive inside the step
                                      })));
    other->runAction(MoveBy::create(1.0f, Vec2(10, 0)));
    AutoreleasePool::current().clear();
    steps(10);
    EXPECT_TRUE(sawParentGone);
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(manager->getNumberOfRunningActions(), 0u);
}

TEST_F(ActionTest, ActionsAddedAndStoppedDuringAnUpdateAreSafe) {
    Node* a = addNode();
    Node* b = addNode();
    int bSteps = 0;
    a->runAction(Sequence::create(
        DelayTime::create(0.05f), CallFunc::create([&] {
            a->runAction(MoveBy::create(0.1f, Vec2(10, 0))); // same target, while it is being stepped
            b->runAction(RepeatForever::create(
                Sequence::create(DelayTime::create(kFrame / 2), CallFunc::create([&] { ++bSteps; }))));
            a->stopAllActions(); // including the running sequence and the move just added
            a->runAction(MoveBy::create(0.1f, Vec2(0, 10)));
        })));
    steps(30);
    EXPECT_EQ(a->getPosition(), Vec2(0, 10));
    EXPECT_GT(bSteps, 20);

    // Stopping one's own action inside its callback, then cleanup on removal.
    Node* c = addNode();
    int calls = 0;
    auto* forever = RepeatForever::create(Sequence::create(DelayTime::create(0.05f), CallFunc::create([&] {
                                                               ++calls;
                                                               c->stopAllActions();
                                                           })));
    c->runAction(forever);
    steps(30);
    EXPECT_EQ(calls, 1);
    c->runAction(MoveBy::create(1.0f, Vec2(1, 1)));
    c->retain();
    c->removeFromParentAndCleanup(true);
    EXPECT_EQ(c->getNumberOfRunningActions(), 0u);
    c->release();
}

// Through the director's own clock: runAction before the first frame, then
// Director::step with the virtual dt.
TEST(ActionDirectorTest, DirectorStepDrivesActionsOncePerFrame) {
    Director* director = Director::getInstance();
    Scene* scene = Scene::create();
    director->runWithScene(scene);
    director->step(kFrame);
    Node* node = Node::create();
    scene->addChild(node);
    int firedAtFrame = 0;
    int frame = 0;
    node->runAction(
        Sequence::create(DelayTime::create(0.05f), CallFunc::create([&] { firedAtFrame = frame; })));
    for (frame = 1; frame <= 10; ++frame)
        director->step(kFrame);
    EXPECT_EQ(firedAtFrame, 4);
    Director::destroyInstance();
    AutoreleasePool::current().clear();
}

// Frame times summed in float drift: sixty 1/60 s fall short of 1 s, and
// after a couple of seconds the sum is a whole frame behind.
TEST(ActionDirectorTest, IntervalActionsFinishOnTheFrameWhoseElapsedTimeReachesTheirDuration) {
    HeadlessDriver driver;
    Scene* scene = Scene::create();
    driver.runWithScene(scene);
    Node* mover = Node::create();
    Node* blinker = Node::create();
    scene->addChild(mover);
    scene->addChild(blinker);
    blinker->setOpacity(0);
    mover->runAction(MoveTo::create(1.0f, Vec2(100, 0)));
    blinker->runAction(
        Sequence::create(FadeIn::create(0.5f), DelayTime::create(1.0f), FadeOut::create(0.5f)));
    driver.step(); // the frame that starts them counts no time
    int moverDone = 0;
    int blinkerDone = 0;
    for (int frame = 1; frame <= 130; ++frame) {
        driver.step();
        if (moverDone == 0 && mover->getNumberOfRunningActions() == 0)
            moverDone = frame;
        if (blinkerDone == 0 && blinker->getNumberOfRunningActions() == 0)
            blinkerDone = frame;
        if (frame == 59) {
            EXPECT_LT(mover->getPositionX(), 99.0f);
        }
        if (frame == 119) {
            EXPECT_GT(blinker->getOpacity(), 0);
        }
    }
    EXPECT_EQ(moverDone, 60);
    EXPECT_EQ(blinkerDone, 120);
    EXPECT_EQ(mover->getPosition(), Vec2(100, 0));
    EXPECT_EQ(blinker->getOpacity(), 0);
}

TEST(ActionDirectorTest, PostedClosuresRunAtTheStartOfTheFrameBeforeActions) {
    Director* director = Director::getInstance();
    Scene* scene = Scene::create();
    director->runWithScene(scene);
    director->step(kFrame);
    std::string log;
    scene->runAction(RepeatForever::create(
        Sequence::create(DelayTime::create(0.001f), CallFunc::create([&] { log += 'A'; }))));
    director->step(kFrame); // the action's first step
    log.clear();
    director->getScheduler()->performFunctionInCocosThread([&] { log += 'P'; });
    EXPECT_EQ(log, "");
    director->step(kFrame);
    EXPECT_EQ(log, "PA");
    director->step(kFrame);
    EXPECT_EQ(log, "PAA");
    Director::destroyInstance();
    AutoreleasePool::current().clear();
}

} // namespace
