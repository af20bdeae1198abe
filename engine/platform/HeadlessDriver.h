#pragma once

#include "engine/base/Color.h"
#include "engine/base/Geometry.h"

#include <SDL.h>
#include <string>

namespace engine {

class GLView;
class Image;
class Scene;

// Runs the engine without a window for tests: a fresh director with an
// off-screen view (software renderer), design resolution 1024 x 768 with
// SHOW_ALL and content scale factor 2; frames advance only when step() is
// called (a virtual clock). Input is injected as SDL events through the same
// translation and dispatch as real input. Destroying the driver destroys the
// director, so every test starts from nothing.
class HeadlessDriver {
public:
    static constexpr float kFrame = 1.0f / 60;

    explicit HeadlessDriver(const Size& frameSize = Size(1024, 768),
                            const Size& designSize = Size(1024, 768));
    ~HeadlessDriver();
    HeadlessDriver(const HeadlessDriver&) = delete;
    HeadlessDriver& operator=(const HeadlessDriver&) = delete;

    GLView* getView() const { return view_; }

    // Runs the scene and steps one frame so that it is entered and drawn.
    void runWithScene(Scene* scene);
    // One frame with the given dt.
    void step(float dt = kFrame);
    // Frames of `frameDt` until `seconds` have passed (the last one shorter).
    void advance(float seconds, float frameDt = kFrame);
    float getElapsed() const { return elapsed_; }

    // Touch 0 through the first mouse button, at design coordinates (y up).
    void touchBegan(const Vec2& point);
    void touchMoved(const Vec2& point);
    void touchEnded(const Vec2& point);
    // Other touches through SDL finger events; the engine numbers them.
    void fingerDown(SDL_FingerID finger, const Vec2& point);
    void fingerMoved(SDL_FingerID finger, const Vec2& point);
    void fingerUp(SDL_FingerID finger, const Vec2& point);
    // The mouse event SDL makes up from a finger (`type` SDL_MOUSEBUTTONDOWN,
    // SDL_MOUSEMOTION or SDL_MOUSEBUTTONUP of the left button, or
    // SDL_MOUSEWHEEL), marked as coming from a touch.
    void mouseFromFinger(Uint32 type, const Vec2& point);
    // Mouse events; `button` is SDL's (1 left, 2 middle, 3 right).
    void mouseDown(int button, const Vec2& point);
    void mouseUp(int button, const Vec2& point);
    void mouseMove(const Vec2& point);
    // `steps` > 0 turns the wheel away from the user.
    void mouseScroll(const Vec2& point, float steps);
    // A key press and its release; `modifiers` are SDL's (KMOD_CTRL,
    // KMOD_SHIFT...). They pass an open edit box first, as real keys do.
    void keyPress(SDL_Keycode key, Uint16 modifiers = KMOD_NONE);
    void keyDown(SDL_Keycode key, Uint16 modifiers = KMOD_NONE, bool repeat = false);
    void keyUp(SDL_Keycode key, Uint16 modifiers = KMOD_NONE);
    // Text as the system's input method delivers it (UTF-8, up to 31 bytes).
    void typeText(const char* utf8);
    // Window life-cycle as SDL reports it.
    void windowEvent(SDL_WindowEventID event);

    // Design coordinates (y up) to frame pixels.
    Vec2 toFrame(const Vec2& point) const;
    // The last drawn frame.
    bool capture(Image& out) const;
    // The colour of the last frame at a design point.
    Color4B pixelAt(const Vec2& point) const;
    bool saveFrame(const std::string& path) const;

private:
    void send(SDL_Event& event);
    void mouseButton(Uint32 type, int button, const Vec2& point, Uint32 mouseId = 0);
    void finger(Uint32 type, SDL_FingerID finger, const Vec2& point);
    void key(Uint32 type, SDL_Keycode key, Uint16 modifiers, bool repeat);

    GLView* view_ = nullptr;
    float elapsed_ = 0;
};

} // namespace engine
