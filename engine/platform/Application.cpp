#include "engine/platform/Application.h"

#include "engine/2d/Director.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/GLView.h"

#include <SDL.h>
#include <cassert>

namespace engine {

namespace {
Application* sharedApplication = nullptr;

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
