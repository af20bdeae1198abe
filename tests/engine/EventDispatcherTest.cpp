#include "engine/2d/events/EventDispatcher.h"

#include "engine/2d/Director.h"
#include "engine/2d/Node.h"
#include "engine/2d/Scene.h"
#include "engine/2d/events/EventCustom.h"
#include "engine/2d/events/EventListenerCustom.h"
#include "engine/2d/events/EventListenerMouse.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/EventMouse.h"
#include "engine/2d/events/EventTouch.h"
#include "engine/2d/events/Touch.h"
#include "engine/base/AutoreleasePool.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace engine;
using Code = EventTouch::EventCode;

// A running scene and the director's dispatcher; touches are fed the way the
// platform layer feeds them (one Touch object per finger from began to end).
class EventDispatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        dispatcher = Director::getInstance()->getEventDispatcher();
        scene = Scene::create();
        scene->retain();
        scene->onEnter();
    }
    void TearDown() override {
        for (auto& [id, touch] : touches)
            touch->release();
        scene->onExit();
        scene->cleanup();
        scene->release();
        AutoreleasePool::current().clear();
        Director::destroyInstance();
    }

    Node* addNode(Node* parent, int z = 0) {
        Node* node = Node::create();
        parent->addChild(node, z);
        return node;
    }

    void touch(Code code, int id, Vec2 location = Vec2(10, 10)) { touchMany(code, {{id, location}}); }
    void touchMany(Code code, const std::vector<std::pair<int, Vec2>>& fingers) {
        std::vector<Touch*> list;
        for (const auto& [id, location] : fingers) {
            Touch*& touch = touches[id];
            if (!touch)
                touch = new Touch();
            touch->setTouchInfo(id, Vec2(location.x, 768 - location.y), location);
            list.push_back(touch);
        }
        EventTouch event;
        event.setEventCode(code);
        event.setTouches(list);
        dispatcher->dispatchEvent(&event);
        if (code == Code::ENDED || code == Code::CANCELLED) {
            for (const auto& finger : fingers) {
                touches[finger.first]->release();
                touches.erase(finger.first);
            }
        }
    }

    // A listener that records every call as "<name><phase>" into `log`
    // (b began, m moved, e ended, c cancelled) and claims when `claims`.
    EventListenerTouchOneByOne* recorder(const std::string& name, bool claims, bool swallows = false) {
        auto* listener = EventListenerTouchOneByOne::create();
        listener->setSwallowTouches(swallows);
        listener->onTouchBegan = [this, name, claims](Touch*, Event*) {
            log += name + "b ";
            return claims;
        };
        listener->onTouchMoved = [this, name](Touch*, Event*) { log += name + "m "; };
        listener->onTouchEnded = [this, name](Touch*, Event*) { log += name + "e "; };
        listener->onTouchCancelled = [this, name](Touch*, Event*) { log += name + "c "; };
        return listener;
    }
    EventListenerTouchOneByOne* listenOn(Node* node, const std::string& name, bool claims,
                                         bool swallows = false) {
        auto* listener = recorder(name, claims, swallows);
        dispatcher->addEventListenerWithSceneGraphPriority(listener, node);
        return listener;
    }
    std::string take() {
        std::string result = log;
        log.clear();
        return result;
    }

    EventDispatcher* dispatcher = nullptr;
    Scene* scene = nullptr;
    std::map<int, Touch*> touches;
    std::string log;
};

TEST_F(EventDispatcherTest, ListenersAreAskedInReverseDrawingOrderBetweenFixedPriorities) {
    Node* a = addNode(scene, 0);
    Node* b = addNode(scene, 0); // same z as a, arrived later: drawn above a
    Node* c = addNode(scene, -1);
    Node* a1 = addNode(a, -1);
    Node* a2 = addNode(a, 1);
    // Registered in a scrambled order on purpose.
    listenOn(c, "C", false);
    listenOn(a1, "A1", false);
    listenOn(scene, "S", false);
    listenOn(b, "B", false);
    listenOn(a, "A", false);
    listenOn(a2, "A2", false);
    dispatcher->addEventListenerWithFixedPriority(recorder("P5", false), 5);
    dispatcher->addEventListenerWithFixedPriority(recorder("P1", false), 1);
    dispatcher->addEventListenerWithFixedPriority(recorder("N1", false), -1);

    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "N1b Bb A2b Ab A1b Sb Cb P1b P5b ");

    // Drawing order follows later z changes.
    b->setLocalZOrder(-5);
    a1->setLocalZOrder(2);
    touch(Code::BEGAN, 1);
    EXPECT_EQ(take(), "N1b A1b A2b Ab Sb Cb Bb P1b P5b ");
}

// Drawing order as the renderer visits, written out independently here.
void visitInDrawingOrder(Node* node, std::vector<Node*>& out) {
    std::vector<Node*> children(node->getChildren().begin(), node->getChildren().end());
    std::stable_sort(children.begin(), children.end(), [](const Node* a, const Node* b) {
        if (a->getLocalZOrder() != b->getLocalZOrder())
            return a->getLocalZOrder() < b->getLocalZOrder();
        return a->getOrderOfArrival() < b->getOrderOfArrival();
    });
    std::size_t i = 0;
    for (; i < children.size() && children[i]->getLocalZOrder() < 0; ++i)
        visitInDrawingOrder(children[i], out);
    out.push_back(node);
    for (; i < children.size(); ++i)
        visitInDrawingOrder(children[i], out);
}

TEST_F(EventDispatcherTest, LargeTreesAndSmallGroupsOfClaimersFollowTheSameDrawingOrder) {
    // 3 levels, z from -2 to 2, so that both the tree walk (many listeners)
    // and the pairwise comparison (a few claimers) are exercised.
    std::vector<Node*> all;
    std::map<Node*, std::string> names;
    int next = 0;
    for (int i = 0; i < 6; ++i) {
        Node* top = addNode(scene, (i * 7) % 5 - 2);
        all.push_back(top);
        for (int j = 0; j < 4; ++j) {
            Node* mid = addNode(top, (i + j * 3) % 5 - 2);
            all.push_back(mid);
            if (j % 2 == 0) {
                all.push_back(addNode(mid, (j + i) % 3 - 1));
            }
        }
    }
    for (Node* node : all) {
        const std::string name = std::to_string(next++);
        names[node] = name;
        const bool claims = next % 3 == 0; // a third of them claim, none swallows
        listenOn(node, name, claims);
    }
    all[4]->setLocalZOrder(5); // a late change of z, not yet sorted by a visit
    auto expected = [&](bool claimersOnly, const char* phase) {
        std::vector<Node*> order;
        visitInDrawingOrder(scene, order);
        std::string text;
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            if (!names.count(*it))
                continue;
            if (claimersOnly && std::stoi(names[*it]) % 3 != 2)
                continue;
            text += names[*it] + phase + " ";
        }
        return text;
    };
    ASSERT_GT(all.size(), 16u);
    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), expected(false, "b"));
    touch(Code::MOVED, 0);
    EXPECT_EQ(take(), expected(true, "m"));
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), expected(true, "e"));
}

TEST_F(EventDispatcherTest, OnlyClaimersFollowTheTouchAndASwallowingClaimerStopsIt) {
    Node* bottom = addNode(scene);
    Node* middle = addNode(scene);
    Node* top = addNode(scene);
    listenOn(bottom, "L", true);
    listenOn(middle, "M", false);
    auto* topListener = listenOn(top, "T", true);

    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Tb Mb Lb ");
    touch(Code::MOVED, 0);
    EXPECT_EQ(take(), "Tm Lm "); // M never claimed
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "Te Le ");
    touch(Code::MOVED, 0); // after the end nobody follows the finger
    EXPECT_EQ(take(), "");

    topListener->setSwallowTouches(true);
    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Tb ");
    touch(Code::CANCELLED, 0);
    EXPECT_EQ(take(), "Tc ");
}

TEST_F(EventDispatcherTest, SwallowingSwitchedOnWhileATouchIsHeldCancelsTheClaimersBelowAtOnce) {
    Node* below = addNode(scene);
    Node* middle = addNode(scene);
    Node* top = addNode(scene);
    listenOn(below, "B", true);
    auto* middleListener = listenOn(middle, "M", true);
    listenOn(top, "T", true);

    touch(Code::BEGAN, 0);
    touch(Code::MOVED, 0);
    EXPECT_EQ(take(), "Tb Mb Bb Tm Mm Bm ");
    middleListener->setSwallowTouches(true); // e.g. from a long-press timer, between events
    EXPECT_EQ(take(), "Bc ");                // only the claimer it now hides
    touch(Code::MOVED, 0);
    EXPECT_EQ(take(), "Tm Mm ");
    middleListener->setSwallowTouches(false);
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "Te Me "); // the cancelled claim does not come back

    // Switched on inside the handler: the claimers below are cancelled in the same event.
    touch(Code::BEGAN, 1);
    take();
    middleListener->onTouchMoved = [&](Touch*, Event*) {
        log += "Mm ";
        middleListener->setSwallowTouches(true);
    };
    touch(Code::MOVED, 1);
    EXPECT_EQ(take(), "Tm Mm Bc ");
    touch(Code::ENDED, 1);
    EXPECT_EQ(take(), "Te Me ");
}

// Catches a disabled claimer told of the cancel when a listener above it
// starts swallowing (it hears nothing while off), or keeping the claim.
TEST_F(EventDispatcherTest, ADisabledClaimerHearsNoCancelAndLosesTheTouch) {
    Node* below = addNode(scene);
    Node* top = addNode(scene);
    auto* belowListener = listenOn(below, "B", true);
    auto* topListener = listenOn(top, "T", true);

    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Tb Bb ");
    belowListener->setEnabled(false);
    topListener->setSwallowTouches(true);
    EXPECT_EQ(take(), "");
    belowListener->setEnabled(true);
    topListener->setSwallowTouches(false);
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "Te ");
}

TEST_F(EventDispatcherTest, ListenersRemovedOrAddedDuringDispatch) {
    Node* low = addNode(scene);
    Node* high = addNode(scene);
    auto* lowListener = listenOn(low, "L", true);
    auto* highListener = recorder("H", true);
    highListener->onTouchBegan = [&](Touch*, Event*) {
        log += "Hb ";
        dispatcher->removeEventListener(lowListener);  // below, not yet asked
        dispatcher->removeEventListener(highListener); // itself
        listenOn(addNode(scene), "N", true);           // hears the next touch, not this one
        return true;
    };
    dispatcher->addEventListenerWithSceneGraphPriority(highListener, high);

    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Hb ");
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), ""); // the remover's claim died with its registration
    touch(Code::BEGAN, 1);
    EXPECT_EQ(take(), "Nb ");
    touch(Code::ENDED, 1);
    EXPECT_EQ(take(), "Ne ");

    // Removal by target from inside a handler, the node's children with it.
    Node* group = addNode(scene);
    Node* child = addNode(group);
    listenOn(child, "C", true);
    auto* remover = recorder("R", false);
    remover->onTouchBegan = [&](Touch*, Event*) {
        log += "Rb ";
        dispatcher->removeEventListenersForTarget(group, true);
        return false;
    };
    dispatcher->addEventListenerWithSceneGraphPriority(remover, addNode(scene));
    touch(Code::BEGAN, 2);
    EXPECT_EQ(take(), "Rb Nb ");
    touch(Code::ENDED, 2);
    EXPECT_EQ(take(), "Ne ");

    // Removed and registered again in one dispatch: afterwards it is there once.
    dispatcher->removeEventListener(remover);
    Node* again = addNode(scene);
    auto* twice = listenOn(again, "W", false);
    auto* juggler = recorder("J", false);
    juggler->onTouchBegan = [&](Touch*, Event*) {
        dispatcher->removeEventListener(twice);
        dispatcher->addEventListenerWithSceneGraphPriority(twice, again);
        return false;
    };
    dispatcher->addEventListenerWithSceneGraphPriority(juggler, addNode(scene));
    touch(Code::BEGAN, 3);
    take();
    dispatcher->removeEventListener(juggler);
    touch(Code::BEGAN, 4);
    EXPECT_EQ(take(), "Wb Nb ");
}

TEST_F(EventDispatcherTest, InvisibleAncestorsNotRunningAndPausedNodesAreSkipped) {
    Node* parent = addNode(scene);
    Node* child = addNode(parent);
    listenOn(child, "C", true);
    Node* hidden = addNode(scene);
    hidden->setVisible(false); // its own visibility does not count, only its ancestors'
    listenOn(hidden, "H", false);

    parent->setVisible(false);
    touch(Code::BEGAN, 0);
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "Hb ");
    parent->setVisible(true);
    touch(Code::BEGAN, 0);
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "Hb Cb Ce "); // `hidden` arrived later, so it is drawn above

    // Off the scene: not running, so skipped; back on, it hears again.
    parent->retain();
    parent->removeFromParentAndCleanup(false);
    touch(Code::BEGAN, 0);
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "Hb ");
    scene->addChild(parent); // now the latest arrival, drawn on top
    parent->release();
    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Cb Hb ");
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "Ce ");

    // A node that never entered a running scene.
    Node* loose = Node::create();
    listenOn(loose, "X", true);
    child->pause();
    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Hb ");
    child->resume();
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "");
}

TEST_F(EventDispatcherTest, AClaimerCutOffByAHiddenAncestorIsCancelledAndForgetsTheTouch) {
    Node* parent = addNode(scene);
    auto* listener = listenOn(addNode(parent), "C", true);
    // One Touch object for two touches, as when a freed touch's address is reused.
    Touch finger;
    finger.setTouchInfo(0, Vec2(5, 763), Vec2(5, 5));
    EventTouch event;
    event.setTouches({&finger});
    auto send = [&](Code code) {
        event.setEventCode(code);
        dispatcher->dispatchEvent(&event);
    };
    send(Code::BEGAN);
    send(Code::MOVED);
    parent->setVisible(false); // e.g. a panel hiding while its card is dragged
    send(Code::MOVED);
    EXPECT_EQ(take(), "Cb Cm Cc ");
    parent->setVisible(true);
    send(Code::ENDED);
    EXPECT_EQ(take(), "");

    listener->onTouchBegan = [&](Touch*, Event*) {
        log += "Cb ";
        return false; // this time it does not claim
    };
    send(Code::BEGAN);
    send(Code::MOVED);
    send(Code::ENDED);
    EXPECT_EQ(take(), "Cb ");
}

TEST_F(EventDispatcherTest, EachFingerIsDispatchedOnItsOwn) {
    Node* view = addNode(scene);
    std::vector<int> moved;
    auto* listener = listenOn(view, "V", true, true);
    listener->onTouchMoved = [&](Touch* t, Event*) { moved.push_back(t->getID()); };
    touch(Code::BEGAN, 0, Vec2(100, 100));
    touch(Code::BEGAN, 1, Vec2(200, 200));
    EXPECT_EQ(take(), "Vb Vb ");
    touchMany(Code::MOVED, {{0, Vec2(90, 90)}, {1, Vec2(210, 210)}});
    EXPECT_EQ(moved, (std::vector<int>{0, 1}));
    EXPECT_EQ(touches[0]->getDelta(), Vec2(-10, -10));
    EXPECT_EQ(touches[1]->getStartLocation(), Vec2(200, 200));
    EXPECT_EQ(touches[1]->getPreviousLocation(), Vec2(200, 200));
    EXPECT_EQ(touches[1]->getLocation(), Vec2(210, 210));
    EXPECT_EQ(touches[1]->getLocationInView(), Vec2(210, 768 - 210));
    touch(Code::ENDED, 0);
    touch(Code::MOVED, 1, Vec2(220, 220));
    EXPECT_EQ(moved, (std::vector<int>{0, 1, 1}));
    touch(Code::ENDED, 1);
    EXPECT_EQ(take(), "Ve Ve ");
}

TEST_F(EventDispatcherTest, ClonesShareHandlersButNotClaims) {
    Node* first = addNode(scene);
    Node* second = addNode(scene);
    auto* prototype = recorder("P", true, true);
    std::vector<Node*> targets;
    prototype->onTouchBegan = [&](Touch*, Event* event) {
        targets.push_back(event->getCurrentTarget());
        return event->getCurrentTarget() == first;
    };
    auto* one = prototype->clone();
    auto* two = prototype->clone();
    EXPECT_TRUE(two->isSwallowTouches());
    dispatcher->addEventListenerWithSceneGraphPriority(one, first);
    dispatcher->addEventListenerWithSceneGraphPriority(two, second);
    // A second registration is a mistake: it asserts, and release builds ignore it.
    EXPECT_DEBUG_DEATH(dispatcher->addEventListenerWithSceneGraphPriority(two, first), "registered once");
    touch(Code::BEGAN, 0);
    EXPECT_EQ(targets, (std::vector<Node*>{second, first}));
    // A clone registered during the touch hears nothing of it.
    auto* late = one->clone();
    late->onTouchEnded = [&](Touch*, Event*) { log += "late "; };
    dispatcher->addEventListenerWithSceneGraphPriority(late, addNode(scene));
    touch(Code::ENDED, 0);
    EXPECT_EQ(take(), "Pe "); // only the clone on `first` claimed
}

TEST_F(EventDispatcherTest, HandlersCanStopPropagationAndListenersDieWithTheirNode) {
    Node* low = addNode(scene);
    Node* high = addNode(scene);
    listenOn(low, "L", true);
    auto* stopper = listenOn(high, "S", false);
    stopper->onTouchBegan = [&](Touch*, Event* event) {
        log += "Sb ";
        event->stopPropagation();
        return false;
    };
    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Sb ");
    touch(Code::ENDED, 0);

    high->removeFromParentAndCleanup(true); // destroyed: its listener goes with it
    AutoreleasePool::current().clear();
    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Lb ");
    touch(Code::ENDED, 0);
}

TEST_F(EventDispatcherTest, DisabledDispatcherDropsInputButNotCustomEvents) {
    listenOn(addNode(scene), "A", true);
    int custom = 0;
    dispatcher->addCustomEventListener("PAVLUNE_EVENT_ENTER_FORGROUND", [&](EventCustom*) { ++custom; });
    dispatcher->setEnabled(false);
    touch(Code::BEGAN, 0);
    dispatcher->dispatchCustomEvent("PAVLUNE_EVENT_ENTER_FORGROUND");
    EXPECT_EQ(take(), "");
    EXPECT_EQ(custom, 1);
    dispatcher->setEnabled(true);
    touch(Code::BEGAN, 0);
    EXPECT_EQ(take(), "Ab ");
}

TEST_F(EventDispatcherTest, MouseListenersGetButtonsMovesAndTheWheel) {
    Node* view = addNode(scene);
    std::string seen;
    auto* mouse = EventListenerMouse::create();
    mouse->onMouseDown = [&](EventMouse* e) {
        seen += "down" + std::to_string(static_cast<int>(e->getMouseButton())) + " ";
    };
    mouse->onMouseUp = [&](EventMouse*) { seen += "up "; };
    mouse->onMouseMove = [&](EventMouse* e) {
        seen += "move" + std::to_string(static_cast<int>(e->getCursorX())) + "," +
                std::to_string(static_cast<int>(e->getCursorY())) + " ";
    };
    mouse->onMouseScroll = [&](EventMouse* e) {
        seen += "scroll" + std::to_string(static_cast<int>(e->getScrollY())) + " ";
    };
    dispatcher->addEventListenerWithSceneGraphPriority(mouse, view);
    auto* other = mouse->clone();
    other->onMouseScroll = [&](EventMouse* e) {
        seen += "first ";
        if (e->getScrollY() > 5)
            e->stopPropagation();
    };
    dispatcher->addEventListenerWithSceneGraphPriority(other, addNode(scene)); // drawn above: first

    EventMouse down(EventMouse::MouseEventType::MOUSE_DOWN);
    down.setMouseButton(EventMouse::MouseButton::BUTTON_MIDDLE);
    dispatcher->dispatchEvent(&down);
    EventMouse move(EventMouse::MouseEventType::MOUSE_MOVE);
    move.setCursorPosition(300, 400);
    dispatcher->dispatchEvent(&move);
    EventMouse scroll(EventMouse::MouseEventType::MOUSE_SCROLL);
    scroll.setScrollData(0, -2);
    dispatcher->dispatchEvent(&scroll);
    scroll.setScrollData(0, 7);
    dispatcher->dispatchEvent(&scroll);
    EventMouse up(EventMouse::MouseEventType::MOUSE_UP);
    dispatcher->dispatchEvent(&up);
    EXPECT_EQ(seen, "down2 down2 move300,400 move300,400 first scroll-2 first up up ");
}

TEST_F(EventDispatcherTest, CustomEventsCarryUserDataAndCanBeRemovedByName) {
    int payload = 42;
    std::vector<int> received;
    auto* listener = dispatcher->addCustomEventListener(
        "ping", [&](EventCustom* e) { received.push_back(*static_cast<int*>(e->getUserData())); });
    ASSERT_NE(listener, nullptr);
    auto* fixed = EventListenerCustom::create("ping", [&](EventCustom* e) {
        EXPECT_EQ(e->getEventName(), "ping");
        received.push_back(-1);
    });
    dispatcher->addEventListenerWithFixedPriority(fixed, -3); // before the one at 1
    dispatcher->dispatchCustomEvent("ping", &payload);
    dispatcher->dispatchCustomEvent("other", &payload);
    EXPECT_EQ(received, (std::vector<int>{-1, 42}));
    EXPECT_TRUE(dispatcher->hasEventListener("ping"));
    dispatcher->removeCustomEventListeners("ping");
    EXPECT_FALSE(dispatcher->hasEventListener("ping"));
    dispatcher->dispatchCustomEvent("ping", &payload);
    EXPECT_EQ(received.size(), 2u);
}

} // namespace
