#pragma once

#include "engine/base/Geometry.h"
#include "engine/base/Ref.h"

#include <SDL.h>
#include <functional>
#include <memory>
#include <string>

namespace engine {

class Image;
class InputTranslator;

enum class ResolutionPolicy {
    // The whole design area is visible, scaled uniformly and letterboxed.
    SHOW_ALL,
    // The design area fills the frame, stretched.
    EXACT_FIT,
    // The frame is filled uniformly; parts of the design area may be cut off.
    NO_BORDER,
};

// The surface the director draws on: an SDL window with its renderer, or, in
// headless mode, an off-screen surface with SDL's software renderer. It maps
// the design resolution onto the frame (window pixels) by the resolution
// policy and turns SDL events into the engine's touch, mouse and life-cycle
// events.
class GLView : public Ref {
public:
    // A window of rect.size * frameZoomFactor pixels; null when SDL cannot open one.
    static GLView* createWithRect(const std::string& title, const Rect& rect, float frameZoomFactor = 1.0f,
                                  bool resizable = false);
    // An off-screen frame of `frameSize` pixels drawn by the software renderer.
    static GLView* createHeadless(const Size& frameSize);

    ~GLView() override;

    void setDesignResolutionSize(float width, float height, ResolutionPolicy policy);
    const Size& getDesignResolutionSize() const { return designSize_; }
    ResolutionPolicy getResolutionPolicy() const { return policy_; }

    // In renderer pixels.
    const Size& getFrameSize() const { return frameSize_; }
    // Resizes the window (a headless frame keeps its size).
    void setFrameSize(float width, float height);
    float getFrameZoomFactor() const { return frameZoomFactor_; }

    // The part of the design area that shows, in design units.
    Size getVisibleSize() const;
    Vec2 getVisibleOrigin() const;
    // Where the design area lies in the frame, in pixels.
    const Rect& getViewPortRect() const { return viewPortRect_; }
    SDL_Rect getViewportInPixels() const;
    float getScaleX() const { return scaleX_; }
    float getScaleY() const { return scaleY_; }

    // Window coordinates (as SDL reports the mouse) to frame pixels; they
    // differ on high-density screens.
    Vec2 windowToFrame(const Vec2& windowPoint) const;
    // Frame pixels (y down) to design units with y down, and back.
    Vec2 frameToDesignInView(const Vec2& pixel) const;
    Vec2 designInViewToFrame(const Vec2& point) const;

    bool isHeadless() const { return window_ == nullptr; }
    // Restores the window when minimised and raises it over the others with
    // the keyboard focus, as far as the system lets a program do that.
    void bringToFront();
    SDL_Window* getWindow() const { return window_; }
    SDL_Renderer* getSDLRenderer() const { return renderer_; }

    // Handles the queued events; true if there were any.
    bool pollEvents();
    // The one path for every event, real or injected by a test.
    void handleEvent(const SDL_Event& event);

    // Called with true when the application goes to the background
    // (minimised or focus lost) and with false when it comes back; a change
    // reported by both signals is reported once.
    void setBackgroundCallback(std::function<void(bool)> callback) {
        backgroundCallback_ = std::move(callback);
    }
    bool isInBackground() const { return inBackground_; }

    bool windowShouldClose() const { return shouldClose_; }
    void end() { shouldClose_ = true; }

    void swapBuffers();
    // The current frame as RGBA pixels (call after drawing, before the next frame).
    bool readPixels(Image& out) const;
    bool saveFrameToPNG(const std::string& path) const;

    InputTranslator& getInputTranslator() { return *input_; }

    // Receives keyboard and text-input events (SDL_TEXTINPUT, SDL_TEXTEDITING,
    // SDL_KEYDOWN, SDL_KEYUP) before anything else while set; the open edit
    // box sets it. It answers whether it used the event.
    void setTextInputHandler(std::function<bool(const SDL_Event&)> handler) {
        textInputHandler_ = std::move(handler);
    }
    bool hasTextInputHandler() const { return static_cast<bool>(textInputHandler_); }

private:
    GLView();
    void updateFrameSize();
    void updateViewport();
    void setBackground(bool background);

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Surface* headlessSurface_ = nullptr;
    std::unique_ptr<InputTranslator> input_;

    Size designSize_{1024, 768};
    ResolutionPolicy policy_ = ResolutionPolicy::SHOW_ALL;
    Size frameSize_;
    float frameZoomFactor_ = 1.0f;
    Rect viewPortRect_;
    float scaleX_ = 1;
    float scaleY_ = 1;

    std::function<void(bool)> backgroundCallback_;
    std::function<bool(const SDL_Event&)> textInputHandler_;
    bool inBackground_ = false;
    bool shouldClose_ = false;
};

} // namespace engine
