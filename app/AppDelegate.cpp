#include "app/AppDelegate.h"

#include "editor/EditorChoices.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/events/EventCustom.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/base/Log.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/GLView.h"
#include "engine/platform/Worker.h"
#include "saves/SaveScene.h"
#include "store/SaveDataManager.h"

AppDelegate::~AppDelegate() {
    if (ScreenNavigator::get() == &navigator_) {
        ScreenNavigator::install(nullptr);
    }
    if (ProgramSharing::get() == &programFiles_) {
        ProgramSharing::install(nullptr);
    }
}

bool AppDelegate::applicationDidFinishLaunching() {
    engine::Director* director = engine::Director::getInstance();
    engine::GLView* view = director->getOpenGLView();
    if (!view) {
        view = engine::GLView::createWithRect(kTitle, engine::Rect(0, 0, kWindowWidth, kWindowHeight), 1.0f,
                                              true);
        if (!view) {
            return false;
        }
        director->setOpenGLView(view);
    }
    director->setDisplayStats(false);
    director->setAnimationInterval(kAnimationInterval);
    view->setDesignResolutionSize(kWindowWidth, kWindowHeight, engine::ResolutionPolicy::SHOW_ALL);
    director->setContentScaleFactor(kContentScaleFactor);

    // Saves after each edit go to a worker, so a slow disk never holds a frame.
    // The browser has one thread and writes to memory: there they are written at once.
    if (engine::workersHaveThreads()) {
        SaveDataManager::getInstance()->writeInBackground([](std::function<void()> closure) {
            engine::Director::getInstance()->getScheduler()->performFunctionInCocosThread(std::move(closure));
        });
    }
    ScreenNavigator::install(&navigator_);
    ProgramSharing::install(&programFiles_);
    EditorChoices::restore();
    engine::Scene* scene = engine::Scene::create();
    SaveScene* list = SaveScene::create();
    if (!scene || !list) {
        engine::Log::error("app", "the list of programs could not be built");
        return false;
    }
    scene->addChild(list);
    director->runWithScene(scene);
    if (onlyCopy_) {
        engine::Scheduler* scheduler = director->getScheduler();
        onlyCopy_->listen([scheduler] {
            scheduler->performFunctionInCocosThread([] {
                if (engine::GLView* shown = engine::Director::getInstance()->getOpenGLView()) {
                    shown->bringToFront();
                }
            });
        });
    }
    return true;
}

void AppDelegate::applicationWillTerminate() {
    if (onlyCopy_) {
        onlyCopy_->stopListening(); // before the scheduler goes
    }
    // Nothing queued is lost when the window is closed in the editor.
    SaveDataManager::getInstance()->writeInBackground(nullptr);
}

void AppDelegate::applicationDidEnterBackground() {
    engine::Director::getInstance()->stopAnimation();
}

void AppDelegate::applicationWillEnterForeground() {
    engine::Director* director = engine::Director::getInstance();
    director->startAnimation();
    engine::EventCustom event(kEnterForegroundEvent);
    director->getEventDispatcher()->dispatchEvent(&event);
}
