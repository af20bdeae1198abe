// Application::run on the desktop: frames at the animation interval while
// something moves, and a wait for the next event while nothing does. The
// browser's loop is ApplicationWeb.cpp.
#include "engine/2d/Director.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/Application.h"
#include "engine/platform/GLView.h"

#include <SDL.h>
#include <chrono>
#include <thread>

namespace engine {

namespace {

constexpr int kIdleWaitMilliseconds = 1000;

} // namespace

int Application::run() {
    GLView* view = startRunning();
    if (!view) {
        return 1;
    }
    Director* director = Director::getInstance();

    using Clock = std::chrono::steady_clock;
    auto nextFrame = Clock::now();
    while (!view->windowShouldClose() && !director->isEnding()) {
        director->mainLoop();
        if (view->pollEvents()) {
            director->requestRedraw();
        }
        if (!director->isAnimating() || !director->needsFrame()) {
            // Nothing moves (or the window cannot be seen): sleep until an
            // event comes. The timeout only bounds a wake-up that got lost;
            // when nothing waits for a frame after it, none is drawn (a
            // screenful of cards once a second was an idle editor's cost).
            SDL_Event event;
            bool woken = false;
            do {
                woken = SDL_WaitEventTimeout(&event, kIdleWaitMilliseconds) != 0;
            } while (!woken && !director->needsFrame() && !view->windowShouldClose() &&
                     !director->isEnding());
            if (woken) {
                view->handleEvent(event);
                view->pollEvents();
                director->requestRedraw();
            }
            director->resetFrameClock();
            nextFrame = Clock::now();
            continue;
        }
        const auto interval = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(director->getAnimationInterval()));
        nextFrame += interval;
        const auto now = Clock::now();
        if (nextFrame > now) {
            std::this_thread::sleep_until(nextFrame);
        } else {
            nextFrame = now; // behind: do not try to catch up with a burst
        }
    }
    applicationWillTerminate();
    director->getScheduler()->setWakeUpHandler(nullptr);
    view->setBackgroundCallback(nullptr);
    Director::destroyInstance();
    view->release();
    SDL_Quit();
    return 0;
}

} // namespace engine
