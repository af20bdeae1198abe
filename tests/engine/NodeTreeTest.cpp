#include "engine/2d/Director.h"
#include "engine/2d/Node.h"
#include "engine/2d/Scene.h"
#include "engine/2d/actions/Actions.h"
#include "engine/base/AutoreleasePool.h"
#include "engine/base/Scheduler.h"
#include "engine/base/Vector.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace engine;

// Records life-cycle calls and its own destruction.
class ProbeNode : public Node {
public:
    static ProbeNode* create(std::vector<std::string>* log, const std::string& name) {
        auto* node = new ProbeNode();
        node->log_ = log;
        node->setName(name);
        node->init();
        node->autorelease();
        return node;
    }
    ~ProbeNode() override { record("destroyed"); }
    void onEnter() override {
        Node::onEnter();
        record("enter");
    }
    void onEnterTransitionDidFinish() override {
        Node::onEnterTransitionDidFinish();
        record("entered");
    }
    void onExit() override {
        Node::onExit();
        record("exit");
    }
    void cleanup() override {
        Node::cleanup();
        record("cleanup");
    }

private:
    void record(const std::string& what) {
        if (log_) {
            log_->push_back(getName() + ":" + what);
        }
    }
    std::vector<std::string>* log_ = nullptr;
};

std::vector<std::string> childNames(Node* parent) {
    parent->sortAllChildren();
    std::vector<std::string> names;
    for (Node* child : parent->getChildren()) {
        names.push_back(child->getName());
    }
    return names;
}

Node* named(const std::string& name) {
    Node* node = Node::create();
    node->setName(name);
    return node;
}

class NodeTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        director = Director::getInstance();
        scene = Scene::create();
        director->runWithScene(scene);
        director->step(0); // the scene enters on the first frame
    }
    void TearDown() override { Director::destroyInstance(); }

    // Outlives the director, which may destroy probes in TearDown.
    std::vector<std::string> log;
    Director* director = nullptr;
    Scene* scene = nullptr;
};

TEST_F(NodeTreeTest, ChildrenSortByZOrderThenOrderOfArrival) {
    Node* parent = Node::create();
    parent->addChild(named("a"), 0);
    parent->addChild(named("b"), -1);
    parent->addChild(named("c"), 0);
    parent->addChild(named("d"), 1);
    parent->addChild(named("e"), 0);
    EXPECT_EQ(childNames(parent), (std::vector<std::string>{"b", "a", "c", "e", "d"}));

    // Setting the same z-order changes nothing; a new one goes after its equals.
    parent->getChildByName("a")->setLocalZOrder(0);
    EXPECT_EQ(childNames(parent), (std::vector<std::string>{"b", "a", "c", "e", "d"}));
    parent->getChildByName("a")->setLocalZOrder(1);
    EXPECT_EQ(childNames(parent), (std::vector<std::string>{"b", "c", "e", "d", "a"}));
    // Reordering to the same z-order counts as a new arrival.
    parent->reorderChild(parent->getChildByName("c"), 0);
    EXPECT_EQ(childNames(parent), (std::vector<std::string>{"b", "e", "c", "d", "a"}));

    // A removed and re-added child arrives last among its equals.
    Node* b = parent->getChildByName("b");
    b->retain();
    b->removeFromParent();
    parent->addChild(b, 1);
    b->release();
    EXPECT_EQ(childNames(parent), (std::vector<std::string>{"e", "c", "d", "a", "b"}));
}

TEST_F(NodeTreeTest, LookupByTagAndNameAndRemoval) {
    Node* parent = Node::create();
    Node* tagged = Node::create();
    parent->addChild(tagged, 3, 42);
    parent->addChild(named("x"), 0, std::string("label"));
    EXPECT_EQ(parent->getChildByTag(42), tagged);
    EXPECT_EQ(tagged->getLocalZOrder(), 3);
    ASSERT_NE(parent->getChildByName("label"), nullptr);
    EXPECT_EQ(parent->getChildByTag(7), nullptr);
    parent->removeChildByTag(42);
    parent->removeChildByName("label");
    EXPECT_EQ(parent->getChildrenCount(), 0u);
    EXPECT_EQ(tagged->getParent(), nullptr);
}

TEST_F(NodeTreeTest, OpacityCascadesOnlyWhereEnabled) {
    Node* parent = Node::create();
    Node* child = Node::create();
    Node* grandchild = Node::create();
    parent->addChild(child);
    child->addChild(grandchild);

    parent->setCascadeOpacityEnabled(true);
    parent->setOpacity(128);
    child->setOpacity(128);
    EXPECT_EQ(child->getDisplayedOpacity(), 64);
    EXPECT_EQ(child->getOpacity(), 128);
    EXPECT_EQ(grandchild->getDisplayedOpacity(), 255); // the child does not cascade

    child->setCascadeOpacityEnabled(true);
    grandchild->setOpacity(255);
    EXPECT_EQ(grandchild->getDisplayedOpacity(), 64);

    // A child added later takes the cascade at once.
    Node* late = Node::create();
    parent->addChild(late);
    EXPECT_EQ(late->getDisplayedOpacity(), 128);

    // Changing the parent reaches the whole cascading chain.
    parent->setOpacity(0);
    EXPECT_EQ(child->getDisplayedOpacity(), 0);
    EXPECT_EQ(grandchild->getDisplayedOpacity(), 0);

    parent->setCascadeOpacityEnabled(false);
    EXPECT_EQ(child->getDisplayedOpacity(), 128);
    EXPECT_EQ(late->getDisplayedOpacity(), 255);
    EXPECT_EQ(parent->getDisplayedOpacity(), 0);
}

TEST_F(NodeTreeTest, ColourCascadesMultiplying) {
    Node* parent = Node::create();
    Node* child = Node::create();
    parent->addChild(child);
    parent->setColor(Color3B(255, 128, 0));
    child->setColor(Color3B(128, 255, 255));
    EXPECT_EQ(child->getDisplayedColor(), Color3B(128, 255, 255));
    parent->setCascadeColorEnabled(true);
    EXPECT_EQ(child->getDisplayedColor(), Color3B(128, 128, 0));
    EXPECT_EQ(child->getColor(), Color3B(128, 255, 255));
    parent->setCascadeColorEnabled(false);
    EXPECT_EQ(child->getDisplayedColor(), Color3B(128, 255, 255));
}

TEST_F(NodeTreeTest, EnterAndExitFollowTheRunningScene) {
    ProbeNode* parent = ProbeNode::create(&log, "p");
    ProbeNode* child = ProbeNode::create(&log, "c");
    parent->addChild(child);
    EXPECT_FALSE(parent->isRunning());
    EXPECT_TRUE(log.empty());

    scene->addChild(parent);
    EXPECT_TRUE(parent->isRunning());
    EXPECT_TRUE(child->isRunning());
    EXPECT_EQ(log, (std::vector<std::string>{"c:enter", "p:enter", "c:entered", "p:entered"}));

    log.clear();
    // Children added to a running node enter at once.
    ProbeNode* late = ProbeNode::create(&log, "l");
    parent->addChild(late);
    EXPECT_EQ(log, (std::vector<std::string>{"l:enter", "l:entered"}));

    log.clear();
    parent->removeFromParent();
    EXPECT_FALSE(parent->isRunning());
    EXPECT_FALSE(child->isRunning());
    EXPECT_EQ(std::count(log.begin(), log.end(), "p:exit"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "c:exit"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "c:cleanup"), 1);
    // Nothing holds the removed subtree any more: it goes with the frame's pool.
    log.clear();
    director->step(0);
    EXPECT_EQ(std::count(log.begin(), log.end(), "p:destroyed"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "c:destroyed"), 1);
}

TEST_F(NodeTreeTest, RemovalWithCleanupStopsActionsAndSchedules) {
    Node* node = Node::create();
    node->retain();
    scene->addChild(node);
    int ticks = 0;
    node->schedule([&](float) { ++ticks; }, "tick");
    node->runAction(RepeatForever::create(MoveBy::create(1.0f, Vec2(60, 0))));
    director->step(1.0f / 60);
    director->step(1.0f / 60);
    EXPECT_GT(ticks, 0);
    EXPECT_GT(node->getPositionX(), 0);

    node->removeFromParent();
    EXPECT_EQ(node->getNumberOfRunningActions(), 0u);
    EXPECT_FALSE(node->isScheduled("tick"));
    const int ticksBefore = ticks;
    const float x = node->getPositionX();
    director->step(1.0f / 60);
    EXPECT_EQ(ticks, ticksBefore);
    EXPECT_EQ(node->getPositionX(), x);
    node->release();
}

TEST_F(NodeTreeTest, RemovalWithoutCleanupPausesAndReAddingResumes) {
    Node* node = Node::create();
    node->retain();
    scene->addChild(node);
    int ticks = 0;
    node->schedule([&](float) { ++ticks; }, "tick");
    node->runAction(RepeatForever::create(MoveBy::create(1.0f, Vec2(60, 0))));
    director->step(1.0f / 60);
    director->step(1.0f / 60);

    node->removeFromParentAndCleanup(false);
    EXPECT_EQ(node->getNumberOfRunningActions(), 1u);
    const int ticksBefore = ticks;
    const float x = node->getPositionX();
    director->step(1.0f / 60);
    EXPECT_EQ(ticks, ticksBefore);
    EXPECT_EQ(node->getPositionX(), x);

    scene->addChild(node);
    director->step(1.0f / 60);
    director->step(1.0f / 60);
    EXPECT_GT(ticks, ticksBefore);
    EXPECT_GT(node->getPositionX(), x);
    node->removeFromParent();
    node->release();
}

TEST_F(NodeTreeTest, ActionsOnANodeOutsideTheSceneWaitUntilItEnters) {
    Node* node = Node::create();
    node->retain(); // an action alone does not keep an orphan node alive
    node->runAction(MoveBy::create(0.5f, Vec2(100, 0)));
    director->step(0.25f);
    director->step(0.25f);
    EXPECT_EQ(node->getPositionX(), 0);
    scene->addChild(node);
    for (int i = 0; i < 40; ++i) {
        director->step(1.0f / 60);
    }
    EXPECT_NEAR(node->getPositionX(), 100, 1e-3f);
    node->release();
}

TEST_F(NodeTreeTest, ScheduleUpdateCallsTheVirtualUpdate) {
    struct Counter : Node {
        int updates = 0;
        float total = 0;
        void update(float dt) override {
            ++updates;
            total += dt;
        }
    };
    auto* counter = new Counter();
    counter->init();
    counter->autorelease();
    scene->addChild(counter);
    counter->scheduleUpdate();
    director->step(0.1f);
    director->step(0.2f);
    EXPECT_EQ(counter->updates, 2);
    EXPECT_NEAR(counter->total, 0.3f, 1e-5f);
    counter->unscheduleUpdate();
    director->step(0.1f);
    EXPECT_EQ(counter->updates, 2);
}

#ifdef NDEBUG
TEST_F(NodeTreeTest, AddingANodeThatHasAParentIsRefused) {
    Node* first = Node::create();
    Node* second = Node::create();
    Node* child = Node::create();
    first->addChild(child);
    second->addChild(child);
    EXPECT_EQ(child->getParent(), first);
    EXPECT_EQ(second->getChildrenCount(), 0u);
    first->addChild(first);
    EXPECT_EQ(first->getChildrenCount(), 1u);
}
#endif

TEST_F(NodeTreeTest, VectorOwnsOneReferencePerEntry) {
    Node* node = Node::create();
    const unsigned base = node->getReferenceCount();
    {
        Vector<Node*> list;
        list.pushBack(node);
        list.pushBack(node);
        EXPECT_EQ(node->getReferenceCount(), base + 2);
        Vector<Node*> copy(list);
        EXPECT_EQ(node->getReferenceCount(), base + 4);
        copy.eraseObject(node);
        EXPECT_EQ(node->getReferenceCount(), base + 3);
        EXPECT_EQ(copy.size(), 1u);
        Vector<Node*> moved(std::move(copy));
        EXPECT_EQ(node->getReferenceCount(), base + 3);
        list.eraseObject(node, true);
        EXPECT_TRUE(list.empty());
        EXPECT_EQ(node->getReferenceCount(), base + 1);
        Node* other = Node::create();
        moved.replace(0, other);
        EXPECT_EQ(node->getReferenceCount(), base);
        EXPECT_EQ(moved.getIndex(other), 0);
        EXPECT_EQ(moved.getIndex(node), -1);
    }
    EXPECT_EQ(node->getReferenceCount(), base);
}

TEST_F(NodeTreeTest, ReplaceSceneExitsAndCleansTheOldSceneOnTheNextFrame) {
    ProbeNode* oldChild = ProbeNode::create(&log, "old");
    scene->addChild(oldChild);
    int oldTicks = 0;
    oldChild->schedule([&](float) { ++oldTicks; }, "tick");

    Scene* next = Scene::create();
    ProbeNode* newChild = ProbeNode::create(&log, "new");
    next->addChild(newChild);
    next->retain();
    director->step(0); // let the pool drop the creators' references
    log.clear();
    director->replaceScene(next);
    next->release(); // the director holds it now
    EXPECT_EQ(director->getRunningScene(), scene);
    EXPECT_TRUE(log.empty());

    director->step(1.0f / 60);
    EXPECT_EQ(director->getRunningScene(), next);
    const std::vector<std::string> expected{"old:exit", "old:cleanup", "old:destroyed", "new:enter",
                                            "new:entered"};
    // The old scene is gone before the new one enters.
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(newChild->isRunning());
}

TEST_F(NodeTreeTest, DestroyingTheDirectorEndsTheRunningScene) {
    scene->addChild(ProbeNode::create(&log, "n"));
    Director::destroyInstance();
    EXPECT_EQ(std::count(log.begin(), log.end(), "n:exit"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "n:destroyed"), 1);
}

} // namespace
