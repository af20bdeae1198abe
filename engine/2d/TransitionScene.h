#pragma once

#include "engine/2d/Scene.h"

namespace engine {

// A scene that shows the outgoing scene and the incoming one together while
// it animates them, then hands over to the incoming scene. Touch and mouse
// input are switched off for as long as it runs.
class TransitionScene : public Scene {
public:
    static TransitionScene* create(float duration, Scene* scene);
    virtual bool initWithDuration(float duration, Scene* scene);

    // Ends the animation: both scenes back in place, then (next frame) the
    // director replaces this transition with the incoming scene.
    void finish();

    Scene* getInScene() const { return inScene_; }
    Scene* getOutScene() const { return outScene_; }
    float getDuration() const { return duration_; }

    void draw(Renderer* renderer, const Mat4& transform, std::uint32_t flags) override;
    void onEnter() override;
    void onExit() override;
    void cleanup() override;

protected:
    TransitionScene() = default;
    // The create convention for transitions: init with a duration and scene.
    template <class T> static T* createTransition(T* transition, float duration, Scene* scene) {
        if (transition->initWithDuration(duration, scene)) {
            transition->autorelease();
            return transition;
        }
        transition->release();
        return nullptr;
    }
    ~TransitionScene() override;
    // Which scene is drawn on top.
    virtual void sceneOrder() { inSceneOnTop_ = true; }

    Scene* inScene_ = nullptr;
    Scene* outScene_ = nullptr;
    float duration_ = 0;
    bool inSceneOnTop_ = true;

private:
    void setNewScene();

    bool sendCleanupToScene_ = false;
};

} // namespace engine
