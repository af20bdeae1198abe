#pragma once

#include "engine/2d/events/Event.h"
#include "engine/base/Geometry.h"

namespace engine {

// A mouse move, button or wheel event. The cursor is in design units with y
// up (the same space as Touch::getLocation). getCursorX/getCursorY are the
// accessors to use: getLocation gives the same y-up point here, but the
// original engine's release gave y down there, so code written against either
// would disagree about it.
class EventMouse : public Event {
public:
    enum class MouseEventType { MOUSE_NONE, MOUSE_DOWN, MOUSE_UP, MOUSE_MOVE, MOUSE_SCROLL };
    enum class MouseButton {
        BUTTON_UNSET = -1,
        BUTTON_LEFT = 0,
        BUTTON_RIGHT = 1,
        BUTTON_MIDDLE = 2,
        BUTTON_4 = 3,
        BUTTON_5 = 4,
    };

    explicit EventMouse(MouseEventType mouseEventCode);
    ~EventMouse() override;

    MouseEventType getMouseEventType() const { return mouseEventType_; }

    void setCursorPosition(float x, float y) { cursor_ = Vec2(x, y); }
    float getCursorX() const { return cursor_.x; }
    float getCursorY() const { return cursor_.y; }
    Vec2 getLocation() const { return cursor_; }

    // y down, design units.
    void setLocationInView(const Vec2& location) { locationInView_ = location; }
    Vec2 getLocationInView() const { return locationInView_; }

    void setMouseButton(MouseButton button) { mouseButton_ = button; }
    MouseButton getMouseButton() const { return mouseButton_; }

    // Wheel steps; y is positive when the wheel turns towards the user (the
    // opposite of SDL's sign, which the platform layer flips).
    void setScrollData(float scrollX, float scrollY) {
        scrollX_ = scrollX;
        scrollY_ = scrollY;
    }
    float getScrollX() const { return scrollX_; }
    float getScrollY() const { return scrollY_; }

private:
    MouseEventType mouseEventType_;
    MouseButton mouseButton_ = MouseButton::BUTTON_UNSET;
    Vec2 cursor_;
    Vec2 locationInView_;
    float scrollX_ = 0;
    float scrollY_ = 0;
};

} // namespace engine
