#include "engine/2d/Director.h"

#include "engine/2d/Renderer.h"
#include "engine/2d/Scene.h"
#include "engine/2d/TextureCache.h"
#include "engine/2d/TransitionScene.h"
#include "engine/2d/actions/ActionManager.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/base/AutoreleasePool.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/GLView.h"

#include <algorithm>

namespace engine {

namespace {

Director* instance = nullptr;
constexpr Size kDefaultWinSize(1024, 768);

} // namespace

Director* Director::getInstance() {
    if (!instance) {
        instance = new Director();
        instance->init();
    }
    return instance;
}

void Director::destroyInstance() {
    if (!instance) {
        return;
    }
    Director* director = instance;
    director->purge();
    instance = nullptr;
    director->release();
}

Director::Director() = default;

Director::~Director() {
    delete renderer_;
    safeRelease(view_);
    safeRelease(textureCache_);
    safeRelease(eventDispatcher_);
    safeRelease(actionManager_);
    safeRelease(scheduler_);
}

bool Director::init() {
    scheduler_ = new Scheduler();
    actionManager_ = new ActionManager();
    // Actions advance first in every frame, before any other update.
    scheduler_->scheduleUpdate(actionManager_, Scheduler::PRIORITY_SYSTEM, false);
    eventDispatcher_ = new EventDispatcher();
    textureCache_ = new TextureCache();
    updateProjection();
    return true;
}

void Director::purge() {
    if (runningScene_) {
        runningScene_->onExitTransitionDidStart();
        runningScene_->onExit();
        runningScene_->cleanup();
        safeRelease(runningScene_);
    }
    nextScene_ = nullptr;
    scenesStack_.clear();
    AutoreleasePool::current().clear();
    scheduler_->unscheduleAll();
    scheduler_->removeAllFunctionsToBePerformedInCocosThread();
    actionManager_->removeAllActions();
    eventDispatcher_->removeAllEventListeners();
    textureCache_->removeAllTextures();
    delete renderer_;
    renderer_ = nullptr;
    AutoreleasePool::current().clear();
}

void Director::setOpenGLView(GLView* view) {
    if (view == view_) {
        return;
    }
    if (view) {
        view->retain();
    }
    delete renderer_;
    renderer_ = nullptr;
    safeRelease(view_);
    view_ = view;
    if (view_ && view_->getSDLRenderer()) {
        renderer_ = new Renderer(view_->getSDLRenderer());
    }
    updateProjection();
}

Size Director::getWinSize() const {
    return view_ ? view_->getDesignResolutionSize() : kDefaultWinSize;
}

Size Director::getWinSizeInPixels() const {
    return getWinSize() * contentScaleFactor_;
}

Size Director::getVisibleSize() const {
    return view_ ? view_->getVisibleSize() : getWinSize();
}

Vec2 Director::getVisibleOrigin() const {
    return view_ ? view_->getVisibleOrigin() : Vec2::ZERO;
}

Vec2 Director::convertToGL(const Vec2& uiPoint) const {
    return Vec2(uiPoint.x, getWinSize().height - uiPoint.y);
}

Vec2 Director::convertToUI(const Vec2& glPoint) const {
    return Vec2(glPoint.x, getWinSize().height - glPoint.y);
}

void Director::setContentScaleFactor(float factor) {
    if (factor > 0) {
        contentScaleFactor_ = factor;
    }
}

float Director::getZEye() const {
    return getWinSize().height / 1.154700538379252f;
}

void Director::updateProjection() {
    const Size size = getWinSize();
    const float zeye = getZEye();
    const Mat4 perspective = Mat4::perspective(60, size.width / size.height, 10, zeye + size.height / 2);
    const Mat4 look = Mat4::lookAt(Vec3(size.width / 2, size.height / 2, zeye),
                                   Vec3(size.width / 2, size.height / 2, 0), Vec3(0, 1, 0));
    projection_ = perspective * look;
}

// --- scenes ---

void Director::runWithScene(Scene* scene) {
    if (!scene || runningScene_ || !scenesStack_.empty()) {
        return; // only the first scene is run this way
    }
    pushScene(scene);
    startAnimation();
}

void Director::replaceScene(Scene* scene) {
    if (!scene) {
        return;
    }
    if (!runningScene_ && scenesStack_.empty()) {
        runWithScene(scene);
        return;
    }
    if (scene == nextScene_) {
        return;
    }
    if (nextScene_) {
        // A scene that never started replaces nothing; drop it cleanly.
        if (nextScene_->isRunning()) {
            nextScene_->onExit();
        }
        nextScene_->cleanup();
        nextScene_ = nullptr;
    }
    sendCleanupToScene_ = true;
    scenesStack_.replace(scenesStack_.size() - 1, scene);
    nextScene_ = scene;
}

void Director::pushScene(Scene* scene) {
    if (!scene) {
        return;
    }
    sendCleanupToScene_ = false;
    scenesStack_.pushBack(scene);
    nextScene_ = scene;
}

void Director::popScene() {
    if (scenesStack_.empty()) {
        return;
    }
    scenesStack_.popBack();
    if (scenesStack_.empty()) {
        end();
        return;
    }
    sendCleanupToScene_ = true;
    nextScene_ = scenesStack_.back();
}

void Director::setNextScene() {
    const bool runningIsTransition = dynamic_cast<TransitionScene*>(runningScene_) != nullptr;
    const bool newIsTransition = dynamic_cast<TransitionScene*>(nextScene_) != nullptr;

    // A transition takes over the running scene's exit itself.
    if (!newIsTransition && runningScene_) {
        runningScene_->onExitTransitionDidStart();
        runningScene_->onExit();
        if (sendCleanupToScene_) {
            runningScene_->cleanup();
        }
    }
    safeRelease(runningScene_);
    runningScene_ = nextScene_;
    runningScene_->retain();
    nextScene_ = nullptr;

    // After a transition the incoming scene has already entered.
    if (!runningIsTransition) {
        runningScene_->onEnter();
        runningScene_->onEnterTransitionDidFinish();
    }
}

// --- frames ---

void Director::setAnimationInterval(double seconds) {
    if (seconds > 0) {
        animationInterval_ = seconds;
    }
}

void Director::startAnimation() {
    invalid_ = false;
    haveLastFrameTime_ = false;
}

void Director::stopAnimation() {
    invalid_ = true;
}

void Director::pause() {
    paused_ = true;
}

void Director::resume() {
    paused_ = false;
    haveLastFrameTime_ = false;
}

void Director::mainLoop() {
    if (purgeRequested_) {
        return;
    }
    if (invalid_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    float dt = 0;
    if (haveLastFrameTime_) {
        dt = std::max(0.0f, std::chrono::duration<float>(now - lastFrameTime_).count());
    }
    lastFrameTime_ = now;
    haveLastFrameTime_ = true;
    step(dt);
}

void Director::step(float dt) {
    drawScene(dt);
    AutoreleasePool::current().clear();
}

bool Director::needsFrame() const {
    return redrawRequested_ || nextScene_ || actionManager_->hasActiveActions() ||
           scheduler_->hasPendingWork(actionManager_);
}

void Director::drawScene(float dt) {
    deltaTime_ = dt;
    redrawRequested_ = false;
    if (!paused_) {
        scheduler_->update(dt);
    }
    if (nextScene_) {
        setNextScene();
    }
    if (view_ && renderer_) {
        renderer_->resetStats();
        renderer_->beginFrame(getWinSize(), view_->getViewportInPixels(), projection_, Color4B(0, 0, 0, 255));
        if (runningScene_) {
            runningScene_->visit(renderer_, Mat4::IDENTITY, Node::FLAGS_NONE);
        }
        renderer_->flush();
        view_->swapBuffers();
    }
    ++totalFrames_;
}

void Director::end() {
    purgeRequested_ = true;
}

} // namespace engine
