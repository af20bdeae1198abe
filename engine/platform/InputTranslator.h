#pragma once

#include "engine/2d/events/EventMouse.h"
#include "engine/base/Geometry.h"

#include <SDL.h>
#include <map>
#include <vector>

namespace engine {

class GLView;
class Touch;

// Turns SDL's mouse, finger and key events into the engine's touches, mouse
// and keyboard events and dispatches them through the director's event dispatcher.
// The first mouse button is touch 0 (a touch begins only inside the design
// area); each finger is a touch of its own with the lowest free id from 1.
// Mouse events carry the cursor in design units, y up. Mouse events that SDL
// synthesises from fingers are ignored, so a finger is never two touches.
class InputTranslator {
public:
    explicit InputTranslator(GLView* view);
    ~InputTranslator();
    InputTranslator(const InputTranslator&) = delete;
    InputTranslator& operator=(const InputTranslator&) = delete;

    void handleEvent(const SDL_Event& event);
    // Ends every held touch with a cancel (focus lost, window minimised).
    void cancelAllTouches();
    std::size_t getActiveTouchCount() const { return touches_.size(); }
    // Whether the mouse's touch comes from a pen (the browser says so where
    // a pen arrives as mouse events): it is then a finger to the gestures.
    void setMouseIsPen(bool pen) { mouseIsPen_ = pen; }

private:
    enum class Phase { BEGAN, MOVED, ENDED, CANCELLED };

    void handleMouseButton(const SDL_MouseButtonEvent& button, bool down);
    void handleMouseMotion(const SDL_MouseMotionEvent& motion);
    void handleMouseWheel(const SDL_MouseWheelEvent& wheel);
    void handleFinger(const SDL_TouchFingerEvent& finger);
    void handleKey(const SDL_KeyboardEvent& key);
    // `framePoint` in frame pixels.
    void dispatchTouch(int id, const Vec2& framePoint, Phase phase);
    void dispatchMouse(EventMouse::MouseEventType type, EventMouse::MouseButton button, float scrollX,
                       float scrollY);
    Vec2 fingerToFrame(float x, float y) const;
    int allocateFingerId() const;

    GLView* view_;
    std::map<int, Touch*> touches_; // held touches by id, retained
    std::map<SDL_FingerID, int> fingerIds_;
    bool mouseTouchHeld_ = false;
    bool mouseIsPen_ = false;
    Vec2 mouseFramePoint_;
};

} // namespace engine
