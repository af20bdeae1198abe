// Per-frame cost of the engine's time keeping and input at field scale: 1000
// nodes below a running scene, each with a running action and a one-by-one
// touch listener (as every placed card has), 200 of them also with a
// per-frame schedule. Prints the mean time of one action/scheduler frame and
// of touch events through the dispatcher (began asks everyone; moved and ended
// only the listeners that claimed the touch).
//
// Usage: pavlune-bench-engine-dispatch [nodes] [frames]

#include "engine/2d/Director.h"
#include "engine/2d/Node.h"
#include "engine/2d/Scene.h"
#include "engine/2d/actions/Actions.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/EventTouch.h"
#include "engine/2d/events/Touch.h"
#include "engine/base/AutoreleasePool.h"
#include "engine/base/Scheduler.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace engine;

namespace {

using Clock = std::chrono::steady_clock;

double microsecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const int nodes = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 600;

    Director* director = Director::getInstance();
    Scene* scene = Scene::create();
    scene->retain();
    scene->onEnter();
    Node* content = Node::create();
    scene->addChild(content);

    int claimed = 0;
    auto* prototype = EventListenerTouchOneByOne::create();
    bool hitTests = true; // off: measures the dispatcher alone
    prototype->onTouchBegan = [&claimed, &hitTests](Touch* touch, Event* event) {
        if (!hitTests) {
            return false;
        }
        Node* card = event->getCurrentTarget();
        const bool inside =
            card->getBoundingBox().containsPoint(card->getParent()->convertToNodeSpace(touch->getLocation()));
        claimed += inside ? 1 : 0;
        return inside;
    };
    prototype->onTouchMoved = [](Touch*, Event*) {};
    prototype->onTouchEnded = [](Touch*, Event*) {};

    int ticks = 0;
    for (int i = 0; i < nodes; ++i) {
        Node* card = Node::create();
        card->setContentSize(Size(100, 100));
        card->setPosition(
            Vec2(static_cast<float>(60 + (i % 9) * 110), static_cast<float>(60 + (i / 9) * 48)));
        content->addChild(card, i % 3);
        card->runAction(RepeatForever::create(
            Sequence::create(MoveBy::create(0.5f, Vec2(4, 0)), MoveBy::create(0.5f, Vec2(-4, 0)))));
        director->getEventDispatcher()->addEventListenerWithSceneGraphPriority(prototype->clone(), card);
        if (i % 5 == 0) {
            card->schedule([&ticks](float) { ++ticks; }, "tick");
        }
    }
    AutoreleasePool::current().clear();

    Scheduler* scheduler = director->getScheduler();
    const float dt = 1.0f / 60;
    scheduler->update(dt);
    const auto frameStart = Clock::now();
    for (int f = 0; f < frames; ++f) {
        scheduler->update(dt);
    }
    const double frameMicros = microsecondsSince(frameStart) / frames;

    EventDispatcher* dispatcher = director->getEventDispatcher();
    Touch* touch = new Touch();
    EventTouch event;
    event.setTouches({touch});
    const int gestures = 200;
    double beganMicros = 0;
    double followMicros = 0;
    for (int g = 0; g < gestures; ++g) {
        const Vec2 at(static_cast<float>(100 + (g % 7) * 100), static_cast<float>(100 + (g % 11) * 50));
        touch->setTouchInfo(0, Vec2(at.x, 768 - at.y), at);
        event.setEventCode(EventTouch::EventCode::BEGAN);
        auto start = Clock::now();
        dispatcher->dispatchEvent(&event);
        beganMicros += microsecondsSince(start);
        touch->setTouchInfo(0, Vec2(at.x + 5, 768 - at.y), at + Vec2(5, 0));
        start = Clock::now();
        event.setEventCode(EventTouch::EventCode::MOVED);
        dispatcher->dispatchEvent(&event);
        event.setEventCode(EventTouch::EventCode::ENDED);
        dispatcher->dispatchEvent(&event);
        followMicros += microsecondsSince(start);
    }
    hitTests = false;
    double bareMicros = 0;
    for (int g = 0; g < gestures; ++g) {
        event.setEventCode(EventTouch::EventCode::BEGAN);
        const auto start = Clock::now();
        dispatcher->dispatchEvent(&event);
        bareMicros += microsecondsSince(start);
    }
    touch->release();

    std::printf("nodes with an action and a touch listener: %d (%d with a per-frame schedule)\n", nodes,
                (nodes + 4) / 5);
    std::printf("scheduler + action frame: %.1f us (mean of %d frames; %d schedule calls)\n", frameMicros,
                frames, ticks);
    std::printf(
        "touch began (every listener asked, bounding-box test each): %.1f us (mean of %d; %d claims)\n",
        beganMicros / gestures, gestures, claimed);
    std::printf("touch began with handlers that do nothing:                   %.1f us (mean of %d)\n",
                bareMicros / gestures, gestures);
    std::printf("touch moved or ended (claimers only):                        %.1f us (mean of %d)\n",
                followMicros / (2 * gestures), 2 * gestures);

    scene->onExit();
    scene->cleanup();
    scene->release();
    AutoreleasePool::current().clear();
    Director::destroyInstance();
    return 0;
}
