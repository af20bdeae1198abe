#pragma once

#include "engine/base/Geometry.h"
#include "engine/base/Mat4.h"
#include "engine/base/Ref.h"
#include "engine/base/Vector.h"

#include <chrono>
#include <cstdint>

namespace engine {

class ActionManager;
class EventDispatcher;
class GLView;
class Node;
class Renderer;
class Scene;
class Scheduler;
class TextureCache;

// Owns the running scene, the scheduler, the action manager, the event
// dispatcher, the texture cache and the view. One frame (mainLoop / step):
// the scheduler runs (queued closures from other threads first, then
// schedules and actions), a pending scene change takes effect, the scene is
// drawn and the autorelease pool is drained.
class Director : public Ref {
public:
    static Director* getInstance();
    // Ends the running scene and frees the director and everything it owns;
    // the next getInstance() starts afresh (tests use this between cases).
    static void destroyInstance();

    Scheduler* getScheduler() const { return scheduler_; }
    ActionManager* getActionManager() const { return actionManager_; }
    EventDispatcher* getEventDispatcher() const { return eventDispatcher_; }
    TextureCache* getTextureCache() const { return textureCache_; }
    Renderer* getRenderer() const { return renderer_; }

    // The view (window or headless surface); retained.
    void setOpenGLView(GLView* view);
    GLView* getOpenGLView() const { return view_; }

    // Design-resolution metrics. Without a view they answer 1024 x 768.
    Size getWinSize() const;
    Size getWinSizeInPixels() const;
    Size getVisibleSize() const;
    Vec2 getVisibleOrigin() const;
    // Converts between window coordinates in design units with y down (as
    // touches are recorded) and scene coordinates with y up.
    Vec2 convertToGL(const Vec2& uiPoint) const;
    Vec2 convertToUI(const Vec2& glPoint) const;

    // Pictures are drawn at this many pixels per design unit.
    void setContentScaleFactor(float factor);
    float getContentScaleFactor() const { return contentScaleFactor_; }

    // The camera: the perspective projection (fovy 60 degrees, eye at
    // (w/2, h/2, h/2 / tan 30 degrees)) under which a card turned about its
    // vertical axis foreshortens; z = 0 maps one design unit to one design unit.
    const Mat4& getProjectionMatrix() const { return projection_; }
    float getZEye() const;
    // Recomputes the camera after the design resolution changed.
    void updateProjection();

    // Scenes. runWithScene starts the first scene; replaceScene swaps the
    // running one at the start of the next frame (the old one is cleaned up);
    // pushScene/popScene keep a stack.
    void runWithScene(Scene* scene);
    void replaceScene(Scene* scene);
    void pushScene(Scene* scene);
    void popScene();
    Scene* getRunningScene() const { return runningScene_; }
    bool isSendCleanupToScene() const { return sendCleanupToScene_; }

    // Frame pacing for the real main loop (seconds per frame, 1/60 by default).
    void setAnimationInterval(double seconds);
    double getAnimationInterval() const { return animationInterval_; }
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return !invalid_; }
    void pause();
    void resume();
    bool isPaused() const { return paused_; }

    // One frame with the real elapsed time since the last one.
    void mainLoop();
    // Whether the next frame would change anything: a scene to switch to, a
    // running action, a scheduled callback or timer, a posted closure, or a
    // redraw asked for (input, window events) since the last frame. The
    // application loop waits for events instead of drawing when it would not.
    bool needsFrame() const;
    void requestRedraw() { redrawRequested_ = true; }
    // The next frame's dt is 0: time spent waiting idle is not animation time.
    void resetFrameClock() { haveLastFrameTime_ = false; }
    // One frame with a given dt: the headless virtual clock.
    void step(float dt);
    // Updates and draws one frame without draining the autorelease pool.
    void drawScene(float dt);
    float getDeltaTime() const { return deltaTime_; }
    std::uint64_t getTotalFrames() const { return totalFrames_; }

    // Asks the application loop to end after this frame.
    void end();
    bool isEnding() const { return purgeRequested_; }

    // Frame statistics are not drawn; kept so that start-up code reads naturally.
    void setDisplayStats(bool) {}

private:
    Director();
    ~Director() override;
    bool init();
    void setNextScene();
    void purge();

    Scheduler* scheduler_ = nullptr;
    ActionManager* actionManager_ = nullptr;
    EventDispatcher* eventDispatcher_ = nullptr;
    TextureCache* textureCache_ = nullptr;
    Renderer* renderer_ = nullptr;
    GLView* view_ = nullptr;

    Scene* runningScene_ = nullptr;
    Scene* nextScene_ = nullptr;
    Vector<Scene*> scenesStack_;
    bool sendCleanupToScene_ = false;

    Mat4 projection_;
    float contentScaleFactor_ = 1.0f;
    double animationInterval_ = 1.0 / 60;
    bool invalid_ = true;
    bool redrawRequested_ = true;
    bool paused_ = false;
    bool purgeRequested_ = false;
    float deltaTime_ = 0;
    std::uint64_t totalFrames_ = 0;
    bool haveLastFrameTime_ = false;
    std::chrono::steady_clock::time_point lastFrameTime_;
};

} // namespace engine
