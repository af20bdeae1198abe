#include "engine/platform/InputTranslator.h"

#include "engine/2d/Director.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventKeyboard.h"
#include "engine/2d/events/EventTouch.h"
#include "engine/2d/events/Touch.h"
#include "engine/platform/GLView.h"

namespace engine {

namespace {

EventMouse::MouseButton toMouseButton(Uint8 sdlButton) {
    switch (sdlButton) {
    case SDL_BUTTON_LEFT:
        return EventMouse::MouseButton::BUTTON_LEFT;
    case SDL_BUTTON_RIGHT:
        return EventMouse::MouseButton::BUTTON_RIGHT;
    case SDL_BUTTON_MIDDLE:
        return EventMouse::MouseButton::BUTTON_MIDDLE;
    case SDL_BUTTON_X1:
        return EventMouse::MouseButton::BUTTON_4;
    case SDL_BUTTON_X2:
        return EventMouse::MouseButton::BUTTON_5;
    default:
        return EventMouse::MouseButton::BUTTON_UNSET;
    }
}

EventKeyboard::KeyCode toKeyCode(SDL_Keycode key) {
    using KeyCode = EventKeyboard::KeyCode;
    if (key >= SDLK_a && key <= SDLK_z) {
        return static_cast<KeyCode>(static_cast<int>(KeyCode::KEY_A) + (key - SDLK_a));
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return static_cast<KeyCode>(static_cast<int>(KeyCode::KEY_0) + (key - SDLK_0));
    }
    if (key == SDLK_KP_0) {
        return KeyCode::KEY_0;
    }
    switch (key) {
    case SDLK_ESCAPE:
        return KeyCode::KEY_ESCAPE;
    case SDLK_RETURN:
        return KeyCode::KEY_ENTER;
    case SDLK_KP_ENTER:
        return KeyCode::KEY_KP_ENTER;
    case SDLK_SPACE:
        return KeyCode::KEY_SPACE;
    case SDLK_BACKSPACE:
        return KeyCode::KEY_BACKSPACE;
    case SDLK_DELETE:
        return KeyCode::KEY_DELETE;
    case SDLK_TAB:
        return KeyCode::KEY_TAB;
    case SDLK_F5:
        return KeyCode::KEY_F5;
    case SDLK_LEFT:
        return KeyCode::KEY_LEFT_ARROW;
    case SDLK_RIGHT:
        return KeyCode::KEY_RIGHT_ARROW;
    case SDLK_UP:
        return KeyCode::KEY_UP_ARROW;
    case SDLK_DOWN:
        return KeyCode::KEY_DOWN_ARROW;
    case SDLK_PAGEUP:
        return KeyCode::KEY_PG_UP;
    case SDLK_PAGEDOWN:
        return KeyCode::KEY_PG_DOWN;
    case SDLK_HOME:
        return KeyCode::KEY_HOME;
    case SDLK_END:
        return KeyCode::KEY_END;
    case SDLK_EQUALS:
        return KeyCode::KEY_EQUAL;
    case SDLK_PLUS:
        return KeyCode::KEY_PLUS;
    case SDLK_MINUS:
        return KeyCode::KEY_MINUS;
    case SDLK_KP_PLUS:
        return KeyCode::KEY_KP_PLUS;
    case SDLK_KP_MINUS:
        return KeyCode::KEY_KP_MINUS;
    case SDLK_SEMICOLON:
        return KeyCode::KEY_SEMICOLON;
    default:
        return KeyCode::KEY_NONE;
    }
}

EventDispatcher* dispatcher() {
    return Director::getInstance()->getEventDispatcher();
}

} // namespace

InputTranslator::InputTranslator(GLView* view) : view_(view) {}

InputTranslator::~InputTranslator() {
    for (auto& [id, touch] : touches_) {
        touch->release();
    }
}

void InputTranslator::handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.which != SDL_TOUCH_MOUSEID) {
            handleMouseButton(event.button, event.type == SDL_MOUSEBUTTONDOWN);
        }
        break;
    case SDL_MOUSEMOTION:
        if (event.motion.which != SDL_TOUCH_MOUSEID) {
            handleMouseMotion(event.motion);
        }
        break;
    case SDL_MOUSEWHEEL:
        if (event.wheel.which != SDL_TOUCH_MOUSEID) {
            handleMouseWheel(event.wheel);
        }
        break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP:
        handleFinger(event.tfinger);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        handleKey(event.key);
        break;
    default:
        break;
    }
}

void InputTranslator::handleMouseButton(const SDL_MouseButtonEvent& button, bool down) {
    mouseFramePoint_ = view_->windowToFrame(Vec2(static_cast<float>(button.x), static_cast<float>(button.y)));
    if (button.button == SDL_BUTTON_LEFT) {
        if (down && !mouseTouchHeld_ && view_->getViewPortRect().containsPoint(mouseFramePoint_)) {
            mouseTouchHeld_ = true;
            dispatchTouch(0, mouseFramePoint_, Phase::BEGAN);
        } else if (!down && mouseTouchHeld_) {
            mouseTouchHeld_ = false;
            dispatchTouch(0, mouseFramePoint_, Phase::ENDED);
        }
    }
    dispatchMouse(down ? EventMouse::MouseEventType::MOUSE_DOWN : EventMouse::MouseEventType::MOUSE_UP,
                  toMouseButton(button.button), 0, 0);
}

void InputTranslator::handleMouseMotion(const SDL_MouseMotionEvent& motion) {
    mouseFramePoint_ = view_->windowToFrame(Vec2(static_cast<float>(motion.x), static_cast<float>(motion.y)));
    if (mouseTouchHeld_) {
        dispatchTouch(0, mouseFramePoint_, Phase::MOVED);
    }
    EventMouse::MouseButton button = EventMouse::MouseButton::BUTTON_UNSET;
    if (motion.state & SDL_BUTTON_LMASK) {
        button = EventMouse::MouseButton::BUTTON_LEFT;
    } else if (motion.state & SDL_BUTTON_RMASK) {
        button = EventMouse::MouseButton::BUTTON_RIGHT;
    } else if (motion.state & SDL_BUTTON_MMASK) {
        button = EventMouse::MouseButton::BUTTON_MIDDLE;
    }
    dispatchMouse(EventMouse::MouseEventType::MOUSE_MOVE, button, 0, 0);
}

void InputTranslator::handleMouseWheel(const SDL_MouseWheelEvent& wheel) {
    float x = wheel.preciseX;
    float y = wheel.preciseY;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
        x = -x;
        y = -y;
    }
    // SDL counts a turn away from the user as positive; the engine's events
    // count it negative.
    dispatchMouse(EventMouse::MouseEventType::MOUSE_SCROLL, EventMouse::MouseButton::BUTTON_UNSET, x, -y);
}

Vec2 InputTranslator::fingerToFrame(float x, float y) const {
    const Size& frame = view_->getFrameSize();
    return Vec2(x * frame.width, y * frame.height);
}

int InputTranslator::allocateFingerId() const {
    for (int id = 1;; ++id) {
        if (touches_.find(id) == touches_.end()) {
            return id;
        }
    }
}

void InputTranslator::handleFinger(const SDL_TouchFingerEvent& finger) {
    const Vec2 point = fingerToFrame(finger.x, finger.y);
    const auto known = fingerIds_.find(finger.fingerId);
    if (finger.type == SDL_FINGERDOWN) {
        if (known != fingerIds_.end() || touches_.size() >= EventTouch::MAX_TOUCHES ||
            !view_->getViewPortRect().containsPoint(point)) {
            return;
        }
        const int id = allocateFingerId();
        fingerIds_.emplace(finger.fingerId, id);
        dispatchTouch(id, point, Phase::BEGAN);
        return;
    }
    if (known == fingerIds_.end()) {
        return; // a finger that began outside the design area, or was cancelled
    }
    const int id = known->second;
    if (finger.type == SDL_FINGERMOTION) {
        dispatchTouch(id, point, Phase::MOVED);
    } else {
        fingerIds_.erase(known);
        dispatchTouch(id, point, Phase::ENDED);
    }
}

void InputTranslator::dispatchTouch(int id, const Vec2& framePoint, Phase phase) {
    Touch* touch = nullptr;
    const auto it = touches_.find(id);
    if (phase == Phase::BEGAN) {
        if (it != touches_.end()) {
            return;
        }
        touch = new Touch();
        // Touch 0 is the mouse (or a pen the browser reports as one); every
        // other one comes from a finger or pen.
        touch->setFinger(id != 0 || mouseIsPen_);
        touches_.emplace(id, touch);
    } else {
        if (it == touches_.end()) {
            return;
        }
        touch = it->second;
    }
    const Vec2 inView = view_->frameToDesignInView(framePoint);
    touch->setTouchInfo(id, inView, Director::getInstance()->convertToGL(inView));

    EventTouch event;
    switch (phase) {
    case Phase::BEGAN:
        event.setEventCode(EventTouch::EventCode::BEGAN);
        break;
    case Phase::MOVED:
        event.setEventCode(EventTouch::EventCode::MOVED);
        break;
    case Phase::ENDED:
        event.setEventCode(EventTouch::EventCode::ENDED);
        break;
    case Phase::CANCELLED:
        event.setEventCode(EventTouch::EventCode::CANCELLED);
        break;
    }
    event.setTouches({touch});
    // Keep the touch alive through the dispatch even if it is forgotten below.
    touch->retain();
    if (phase == Phase::ENDED || phase == Phase::CANCELLED) {
        touches_.erase(id);
        touch->release();
    }
    dispatcher()->dispatchEvent(&event);
    touch->release();
}

void InputTranslator::cancelAllTouches() {
    std::vector<std::pair<int, Vec2>> held;
    for (const auto& [id, touch] : touches_) {
        held.emplace_back(id, view_->designInViewToFrame(touch->getLocationInView()));
    }
    mouseTouchHeld_ = false;
    fingerIds_.clear();
    for (const auto& [id, point] : held) {
        dispatchTouch(id, point, Phase::CANCELLED);
    }
}

void InputTranslator::handleKey(const SDL_KeyboardEvent& key) {
    unsigned modifiers = EventKeyboard::kNone;
    if ((key.keysym.mod & KMOD_CTRL) != 0) {
        modifiers |= EventKeyboard::kCtrl;
    }
    if ((key.keysym.mod & KMOD_SHIFT) != 0) {
        modifiers |= EventKeyboard::kShift;
    }
    if ((key.keysym.mod & KMOD_ALT) != 0) {
        modifiers |= EventKeyboard::kAlt;
    }
    EventKeyboard event(toKeyCode(key.keysym.sym), key.type == SDL_KEYDOWN, modifiers, key.repeat != 0);
    dispatcher()->dispatchEvent(&event);
}

void InputTranslator::dispatchMouse(EventMouse::MouseEventType type, EventMouse::MouseButton button,
                                    float scrollX, float scrollY) {
    const Vec2 inView = view_->frameToDesignInView(mouseFramePoint_);
    const Vec2 location = Director::getInstance()->convertToGL(inView);
    EventMouse event(type);
    event.setCursorPosition(location.x, location.y);
    event.setLocationInView(inView);
    event.setMouseButton(button);
    event.setScrollData(scrollX, scrollY);
    dispatcher()->dispatchEvent(&event);
}

} // namespace engine
