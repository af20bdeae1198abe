#include "engine/platform/GLView.h"

#include "engine/2d/Director.h"
#include "engine/2d/Texture2D.h"
#include "engine/base/Log.h"
#include "engine/platform/Image.h"
#include "engine/platform/InputTranslator.h"

#include <SDL_image.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace engine {

namespace {

// SDL falls back to a driver that opens no window when no display can be
// reached (DISPLAY unset, a busy X server). A program window on such a driver
// would run on invisibly, so it is only taken when someone asked for it by
// name (SDL_VIDEODRIVER, as the tests and scripted runs do).
bool opensNoWindow(const char* driver) {
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool askedForByName(const char* driver) {
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!asked || !driver) {
        return false;
    }
    // The hint may list several drivers separated by commas.
    const std::string list = asked;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        if (SDL_strcasecmp(list.substr(start, end - start).c_str(), driver) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

} // namespace

GLView::GLView() : input_(std::make_unique<InputTranslator>(this)) {}

GLView::~GLView() {
    if (renderer_) {
        Texture2D::forgetRenderer(renderer_);
        SDL_DestroyRenderer(renderer_);
    }
    if (window_) {
        SDL_DestroyWindow(window_);
    }
    if (headlessSurface_) {
        SDL_FreeSurface(headlessSurface_);
    }
}

GLView* GLView::createWithRect(const std::string& title, const Rect& rect, float frameZoomFactor,
                               bool resizable) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        Log::error("engine", std::string("no video: ") + SDL_GetError());
        return nullptr;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (opensNoWindow(driver) && !askedForByName(driver)) {
        Log::error("engine", std::string("no display to open a window on (SDL chose the '") + driver +
                                 "' video driver); check DISPLAY or WAYLAND_DISPLAY");
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        return nullptr;
    }
    // Smooth scaling of pictures drawn at another size than their pixels.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "1");
    auto* view = new GLView();
    view->frameZoomFactor_ = frameZoomFactor > 0 ? frameZoomFactor : 1.0f;
    const int w = static_cast<int>(std::lround(rect.size.width * view->frameZoomFactor_));
    const int h = static_cast<int>(std::lround(rect.size.height * view->frameZoomFactor_));
    Uint32 flags = SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (resizable) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    view->window_ =
        SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (view->window_) {
        view->renderer_ = SDL_CreateRenderer(view->window_, -1, 0);
        if (!view->renderer_) {
            view->renderer_ = SDL_CreateRenderer(view->window_, -1, SDL_RENDERER_SOFTWARE);
        }
    }
    if (!view->window_ || !view->renderer_) {
        Log::error("engine", std::string(view->window_ ? "no renderer: " : "no window: ") + SDL_GetError());
        view->release();
        return nullptr;
    }
    view->designSize_ = rect.size;
    view->updateFrameSize();
    view->autorelease();
    return view;
}

GLView* GLView::createHeadless(const Size& frameSize) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        // Text input and the clipboard need a video driver even off screen;
        // the dummy one opens nothing. Drawing does not depend on it.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
        SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "1");
    const int w = std::max(1, static_cast<int>(std::lround(frameSize.width)));
    const int h = std::max(1, static_cast<int>(std::lround(frameSize.height)));
    auto* view = new GLView();
    view->headlessSurface_ = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (view->headlessSurface_) {
        view->renderer_ = SDL_CreateSoftwareRenderer(view->headlessSurface_);
    }
    if (!view->renderer_) {
        view->release();
        return nullptr;
    }
    view->designSize_ = Size(static_cast<float>(w), static_cast<float>(h));
    view->updateFrameSize();
    view->autorelease();
    return view;
}

void GLView::setDesignResolutionSize(float width, float height, ResolutionPolicy policy) {
    if (width <= 0 || height <= 0) {
        return;
    }
    designSize_ = Size(width, height);
    policy_ = policy;
    updateViewport();
    Director::getInstance()->updateProjection();
}

void GLView::bringToFront() {
    if (!window_) {
        return;
    }
    if ((SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0) {
        SDL_RestoreWindow(window_);
    }
    SDL_RaiseWindow(window_);
}

void GLView::setFrameSize(float width, float height) {
    if (window_) {
        SDL_SetWindowSize(window_, static_cast<int>(std::lround(width)),
                          static_cast<int>(std::lround(height)));
        updateFrameSize();
    }
}

void GLView::updateFrameSize() {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    frameSize_ = Size(static_cast<float>(w), static_cast<float>(h));
    updateViewport();
}

void GLView::updateViewport() {
    if (frameSize_.width <= 0 || frameSize_.height <= 0) {
        return;
    }
    scaleX_ = frameSize_.width / designSize_.width;
    scaleY_ = frameSize_.height / designSize_.height;
    if (policy_ == ResolutionPolicy::SHOW_ALL) {
        scaleX_ = scaleY_ = std::min(scaleX_, scaleY_);
    } else if (policy_ == ResolutionPolicy::NO_BORDER) {
        scaleX_ = scaleY_ = std::max(scaleX_, scaleY_);
    }
    const float w = designSize_.width * scaleX_;
    const float h = designSize_.height * scaleY_;
    viewPortRect_ = Rect((frameSize_.width - w) / 2, (frameSize_.height - h) / 2, w, h);
}

Size GLView::getVisibleSize() const {
    if (policy_ == ResolutionPolicy::NO_BORDER) {
        return Size(frameSize_.width / scaleX_, frameSize_.height / scaleY_);
    }
    return designSize_;
}

Vec2 GLView::getVisibleOrigin() const {
    if (policy_ == ResolutionPolicy::NO_BORDER) {
        const Size visible = getVisibleSize();
        return Vec2((designSize_.width - visible.width) / 2, (designSize_.height - visible.height) / 2);
    }
    return Vec2::ZERO;
}

SDL_Rect GLView::getViewportInPixels() const {
    const int x = static_cast<int>(std::lround(viewPortRect_.origin.x));
    const int y = static_cast<int>(std::lround(viewPortRect_.origin.y));
    return SDL_Rect{x, y, static_cast<int>(std::lround(viewPortRect_.getMaxX())) - x,
                    static_cast<int>(std::lround(viewPortRect_.getMaxY())) - y};
}

Vec2 GLView::windowToFrame(const Vec2& windowPoint) const {
    if (!window_) {
        return windowPoint;
    }
    int w = 0, h = 0;
    SDL_GetWindowSize(window_, &w, &h);
    if (w <= 0 || h <= 0) {
        return windowPoint;
    }
    return Vec2(windowPoint.x * frameSize_.width / w, windowPoint.y * frameSize_.height / h);
}

Vec2 GLView::frameToDesignInView(const Vec2& pixel) const {
    return Vec2((pixel.x - viewPortRect_.origin.x) / scaleX_, (pixel.y - viewPortRect_.origin.y) / scaleY_);
}

Vec2 GLView::designInViewToFrame(const Vec2& point) const {
    return Vec2(point.x * scaleX_ + viewPortRect_.origin.x, point.y * scaleY_ + viewPortRect_.origin.y);
}

bool GLView::pollEvents() {
    SDL_Event event;
    bool any = false;
    while (SDL_PollEvent(&event)) {
        handleEvent(event);
        any = true;
    }
    return any;
}

void GLView::setBackground(bool background) {
    if (background == inBackground_) {
        return;
    }
    inBackground_ = background;
    if (backgroundCallback_) {
        backgroundCallback_(background);
    }
}

void GLView::handleEvent(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        shouldClose_ = true;
        return;
    case SDL_WINDOWEVENT:
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            shouldClose_ = true;
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_RESIZED:
            updateFrameSize();
            break;
        // Only a window that cannot be seen is in the background; one behind
        // another window still draws and answers clicks.
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_HIDDEN:
            input_->cancelAllTouches();
            setBackground(true);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            // A held button or finger would never see its release.
            input_->cancelAllTouches();
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_MAXIMIZED:
            setBackground(false);
            break;
        default:
            break;
        }
        return;
    case SDL_TEXTINPUT:
    case SDL_TEXTEDITING:
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (textInputHandler_) {
            // Copied: the handler may end editing and clear itself.
            const auto handler = textInputHandler_;
            if (handler(event)) {
                return;
            }
        }
        input_->handleEvent(event);
        return;
    default:
        input_->handleEvent(event);
        return;
    }
}

void GLView::swapBuffers() {
    SDL_RenderPresent(renderer_);
}

bool GLView::readPixels(Image& out) const {
    int w = 0, h = 0;
    if (SDL_GetRendererOutputSize(renderer_, &w, &h) != 0 || w <= 0 || h <= 0) {
        return false;
    }
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
    if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGBA32, pixels.data(), w * 4) != 0) {
        return false;
    }
    return out.initWithRawData(pixels.data(), w, h);
}

bool GLView::saveFrameToPNG(const std::string& path) const {
    Image image;
    return readPixels(image) && image.saveToFile(path);
}

} // namespace engine
