#include "engine/platform/Application.h"

#include "engine/2d/Director.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/GLView.h"

#include <SDL.h>
#include <cassert>
#include <chrono>
#include <thread>

namespace engine {

namespace {
Application* sharedApplication = nullptr;

#ifndef __EMSCRIPTEN__
constexpr int kIdleWaitMilliseconds = 1000;
#endif

std::function<bool(const std::string&)>& urlOpener() {
    static std::function<bool(const std::string&)> opener;
    return opener;
}
} // namespace

Application::Application() {
    assert(!sharedApplication && "one application at a time");
    sharedApplication = this;
}

Application::~Application() {
    if (sharedApplication == this) {
        sharedApplication = nullptr;
    }
}

Application* Application::getInstance() {
    return sharedApplication;
}

void Application::setAnimationInterval(double seconds) {
    Director::getInstance()->setAnimationInterval(seconds);
}

GLView* Application::startRunning() {
    if (!applicationDidFinishLaunching()) {
        Director::destroyInstance();
        return nullptr;
    }
    Director* director = Director::getInstance();
    GLView* view = director->getOpenGLView();
    if (!view) {
        Director::destroyInstance();
        return nullptr;
    }
    view->retain();
    view->setBackgroundCallback([this](bool background) {
        if (background) {
            applicationDidEnterBackground();
        } else {
            applicationWillEnterForeground();
        }
    });
    // A closure posted by a worker (or the page) wakes a loop that waits for events.
    const Uint32 wakeEvent = SDL_RegisterEvents(1);
    director->getScheduler()->setWakeUpHandler([wakeEvent] {
        SDL_Event event{};
        event.type = wakeEvent;
        SDL_PushEvent(&event);
    });
    return view;
}

// The browser's frame loop is ApplicationWeb.cpp: a page must give control
// back to the browser after each frame.
#ifndef __EMSCRIPTEN__
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
            // event comes. The timeout only bounds a wake-up that got lost.
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, kIdleWaitMilliseconds) != 0) {
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
#endif

void Application::setURLOpener(std::function<bool(const std::string&)> opener) {
    urlOpener() = std::move(opener);
}

bool Application::openURL(const std::string& url) {
    if (url.empty()) {
        return false;
    }
    if (urlOpener()) {
        return urlOpener()(url);
    }
    const GLView* view = Director::getInstance()->getOpenGLView();
    if (!view || view->isHeadless()) {
        return false;
    }
    return SDL_OpenURL(url.c_str()) == 0;
}

} // namespace engine
