#include "engine/2d/TransitionScene.h"

#include "engine/2d/Director.h"
#include "engine/2d/events/EventDispatcher.h"

namespace engine {

namespace {

constexpr const char* kNewSceneKey = "TransitionScene.setNewScene";
} // namespace

TransitionScene* TransitionScene::create(float duration, Scene* scene) {
    return createTransition(new TransitionScene(), duration, scene);
}

TransitionScene::~TransitionScene() {
    safeRelease(inScene_);
    safeRelease(outScene_);
}

bool TransitionScene::initWithDuration(float duration, Scene* scene) {
    if (!scene || !Scene::init()) {
        return false;
    }
    duration_ = duration;
    inScene_ = scene;
    inScene_->retain();
    outScene_ = Director::getInstance()->getRunningScene();
    if (!outScene_) {
        outScene_ = Scene::create();
    }
    if (outScene_ == inScene_) {
        safeRelease(inScene_);
        outScene_ = nullptr;
        return false; // a scene cannot replace itself
    }
    outScene_->retain();
    sceneOrder();
    return true;
}

void TransitionScene::draw(Renderer* renderer, const Mat4& transform, std::uint32_t flags) {
    Scene* first = inSceneOnTop_ ? outScene_ : inScene_;
    Scene* second = inSceneOnTop_ ? inScene_ : outScene_;
    first->visit(renderer, transform, flags);
    second->visit(renderer, transform, flags);
}

void TransitionScene::onEnter() {
    Scene::onEnter();
    getEventDispatcher()->setEnabled(false);
    outScene_->onExitTransitionDidStart();
    inScene_->onEnter();
}

void TransitionScene::onExit() {
    Scene::onExit();
    getEventDispatcher()->setEnabled(true);
    outScene_->onExit();
    // The incoming scene entered with the transition; it only learns now
    // that the transition is over.
    inScene_->onEnterTransitionDidFinish();
}

void TransitionScene::cleanup() {
    Scene::cleanup();
    if (sendCleanupToScene_) {
        outScene_->cleanup();
    }
}

void TransitionScene::finish() {
    for (Scene* scene : {inScene_, outScene_}) {
        scene->setVisible(true);
        scene->setPosition(0, 0);
        scene->setScale(1.0f);
        scene->setRotation(0);
    }
    scheduleOnce([this](float) { setNewScene(); }, 0, kNewSceneKey);
}

void TransitionScene::setNewScene() {
    Director* director = Director::getInstance();
    sendCleanupToScene_ = director->isSendCleanupToScene();
    director->replaceScene(inScene_);
    outScene_->setVisible(true);
}

} // namespace engine
