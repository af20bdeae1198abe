#include "engine/platform/HeadlessDriver.h"

#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/platform/GLView.h"
#include "engine/platform/Image.h"

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace engine {

HeadlessDriver::HeadlessDriver(const Size& frameSize, const Size& designSize) {
    Director::destroyInstance();
    Director* director = Director::getInstance();
    view_ = GLView::createHeadless(frameSize);
    if (!view_) {
        throw std::runtime_error(std::string("headless view: ") + SDL_GetError());
    }
    view_->retain();
    director->setOpenGLView(view_);
    view_->setDesignResolutionSize(designSize.width, designSize.height, ResolutionPolicy::SHOW_ALL);
    director->setContentScaleFactor(2.0f);
}

HeadlessDriver::~HeadlessDriver() {
    Director::destroyInstance();
    view_->release();
}

void HeadlessDriver::runWithScene(Scene* scene) {
    Director::getInstance()->runWithScene(scene);
    step(0);
}

void HeadlessDriver::step(float dt) {
    elapsed_ += dt;
    Director::getInstance()->step(dt);
}

void HeadlessDriver::advance(float seconds, float frameDt) {
    float left = seconds;
    while (left > 1e-6f) {
        const float dt = std::fmin(frameDt, left);
        step(dt);
        left -= dt;
    }
}

Vec2 HeadlessDriver::toFrame(const Vec2& point) const {
    return view_->designInViewToFrame(Director::getInstance()->convertToUI(point));
}

void HeadlessDriver::send(SDL_Event& event) {
    event.common.timestamp = SDL_GetTicks();
    view_->handleEvent(event);
}

void HeadlessDriver::mouseButton(Uint32 type, int button, const Vec2& point, Uint32 mouseId) {
    const Vec2 frame = toFrame(point);
    SDL_Event event{};
    event.type = type;
    event.button.which = mouseId;
    event.button.button = static_cast<Uint8>(button);
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = static_cast<Sint32>(std::lround(frame.x));
    event.button.y = static_cast<Sint32>(std::lround(frame.y));
    send(event);
}

void HeadlessDriver::touchBegan(const Vec2& point) {
    mouseButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, point);
}

void HeadlessDriver::touchMoved(const Vec2& point) {
    const Vec2 frame = toFrame(point);
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.which = 0;
    event.motion.state = SDL_BUTTON_LMASK;
    event.motion.x = static_cast<Sint32>(std::lround(frame.x));
    event.motion.y = static_cast<Sint32>(std::lround(frame.y));
    send(event);
}

void HeadlessDriver::touchEnded(const Vec2& point) {
    mouseButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, point);
}

void HeadlessDriver::finger(Uint32 type, SDL_FingerID fingerId, const Vec2& point) {
    const Vec2 frame = toFrame(point);
    const Size& size = view_->getFrameSize();
    SDL_Event event{};
    event.type = type;
    event.tfinger.touchId = 1;
    event.tfinger.fingerId = fingerId;
    event.tfinger.x = frame.x / size.width;
    event.tfinger.y = frame.y / size.height;
    event.tfinger.pressure = 1;
    send(event);
}

void HeadlessDriver::fingerDown(SDL_FingerID id, const Vec2& point) {
    finger(SDL_FINGERDOWN, id, point);
}
void HeadlessDriver::fingerMoved(SDL_FingerID id, const Vec2& point) {
    finger(SDL_FINGERMOTION, id, point);
}
void HeadlessDriver::fingerUp(SDL_FingerID id, const Vec2& point) {
    finger(SDL_FINGERUP, id, point);
}

void HeadlessDriver::mouseFromFinger(Uint32 type, const Vec2& point) {
    if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) {
        mouseButton(type, SDL_BUTTON_LEFT, point, SDL_TOUCH_MOUSEID);
        return;
    }
    const Vec2 frame = toFrame(point);
    SDL_Event event{};
    event.type = type;
    if (type == SDL_MOUSEWHEEL) {
        event.wheel.which = SDL_TOUCH_MOUSEID;
        event.wheel.y = 1;
        event.wheel.preciseY = 1;
    } else {
        event.motion.which = SDL_TOUCH_MOUSEID;
        event.motion.state = SDL_BUTTON_LMASK;
        event.motion.x = static_cast<Sint32>(std::lround(frame.x));
        event.motion.y = static_cast<Sint32>(std::lround(frame.y));
    }
    send(event);
}

void HeadlessDriver::mouseDown(int button, const Vec2& point) {
    mouseButton(SDL_MOUSEBUTTONDOWN, button, point);
}
void HeadlessDriver::mouseUp(int button, const Vec2& point) {
    mouseButton(SDL_MOUSEBUTTONUP, button, point);
}

void HeadlessDriver::mouseMove(const Vec2& point) {
    const Vec2 frame = toFrame(point);
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.which = 0;
    event.motion.x = static_cast<Sint32>(std::lround(frame.x));
    event.motion.y = static_cast<Sint32>(std::lround(frame.y));
    send(event);
}

void HeadlessDriver::mouseScroll(const Vec2& point, float steps) {
    mouseMove(point);
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.which = 0;
    event.wheel.y = static_cast<Sint32>(steps);
    event.wheel.preciseY = steps;
    event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    send(event);
}

void HeadlessDriver::key(Uint32 type, SDL_Keycode keyCode, Uint16 modifiers, bool repeat) {
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = keyCode;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(keyCode);
    event.key.keysym.mod = modifiers;
    send(event);
}

void HeadlessDriver::keyDown(SDL_Keycode keyCode, Uint16 modifiers, bool repeat) {
    key(SDL_KEYDOWN, keyCode, modifiers, repeat);
}
void HeadlessDriver::keyUp(SDL_Keycode keyCode, Uint16 modifiers) {
    key(SDL_KEYUP, keyCode, modifiers, false);
}

void HeadlessDriver::keyPress(SDL_Keycode keyCode, Uint16 modifiers) {
    keyDown(keyCode, modifiers);
    keyUp(keyCode, modifiers);
}

void HeadlessDriver::typeText(const char* utf8) {
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, utf8, sizeof(event.text.text) - 1);
    send(event);
}

void HeadlessDriver::windowEvent(SDL_WindowEventID id) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = static_cast<Uint8>(id);
    send(event);
}

bool HeadlessDriver::capture(Image& out) const {
    return view_->readPixels(out);
}

Color4B HeadlessDriver::pixelAt(const Vec2& point) const {
    Image image;
    if (!capture(image)) {
        return Color4B(0, 0, 0, 0);
    }
    const Vec2 frame = toFrame(point);
    return image.getPixel(static_cast<int>(std::floor(frame.x)), static_cast<int>(std::floor(frame.y)));
}

bool HeadlessDriver::saveFrame(const std::string& path) const {
    return view_->saveFrameToPNG(path);
}

} // namespace engine
