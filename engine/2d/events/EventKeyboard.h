#pragma once

#include "engine/2d/events/Event.h"

namespace engine {

// A key pressed or released while no edit box holds the keyboard. A small
// set of keys has codes of their own (editing and moving keys, F5, digits,
// letters); any other key arrives as KEY_NONE. Letters and digits are contiguous, so KEY_A + n is the n-th
// letter.
class EventKeyboard : public Event {
public:
    enum class KeyCode {
        KEY_NONE,
        KEY_ESCAPE,
        KEY_ENTER,
        KEY_KP_ENTER,
        KEY_SPACE,
        KEY_BACKSPACE,
        KEY_DELETE,
        KEY_TAB,
        KEY_F5,
        KEY_LEFT_ARROW,
        KEY_RIGHT_ARROW,
        KEY_UP_ARROW,
        KEY_DOWN_ARROW,
        KEY_PG_UP,
        KEY_PG_DOWN,
        KEY_HOME,
        KEY_END,
        KEY_EQUAL,
        KEY_PLUS,
        KEY_MINUS,
        KEY_KP_PLUS,
        KEY_KP_MINUS,
        KEY_SEMICOLON,
        KEY_0,
        KEY_1,
        KEY_2,
        KEY_3,
        KEY_4,
        KEY_5,
        KEY_6,
        KEY_7,
        KEY_8,
        KEY_9,
        KEY_A,
        KEY_B,
        KEY_C,
        KEY_D,
        KEY_E,
        KEY_F,
        KEY_G,
        KEY_H,
        KEY_I,
        KEY_J,
        KEY_K,
        KEY_L,
        KEY_M,
        KEY_N,
        KEY_O,
        KEY_P,
        KEY_Q,
        KEY_R,
        KEY_S,
        KEY_T,
        KEY_U,
        KEY_V,
        KEY_W,
        KEY_X,
        KEY_Y,
        KEY_Z,
    };
    // Modifier keys held with the key.
    enum Modifier : unsigned { kNone = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

    EventKeyboard(KeyCode keyCode, bool pressed, unsigned modifiers = kNone, bool repeat = false);
    ~EventKeyboard() override;

    KeyCode getKeyCode() const { return keyCode_; }
    bool isPressed() const { return pressed_; }
    // A press the system repeats while the key is held.
    bool isRepeat() const { return repeat_; }
    bool ctrl() const { return (modifiers_ & kCtrl) != 0; }
    bool shift() const { return (modifiers_ & kShift) != 0; }
    bool alt() const { return (modifiers_ & kAlt) != 0; }

private:
    KeyCode keyCode_;
    bool pressed_;
    unsigned modifiers_;
    bool repeat_;
};

} // namespace engine
