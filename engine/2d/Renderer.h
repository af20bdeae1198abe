#pragma once

#include "engine/base/Color.h"
#include "engine/base/Geometry.h"
#include "engine/base/Mat4.h"

#include <SDL.h>
#include <cstdint>
#include <vector>

namespace engine {

class Texture2D;

// Draws the scene's quads with SDL_RenderGeometry. Nodes hand it quads in
// their own space together with their world transform; the renderer maps them
// through the camera into the pixels of the current target (the window's
// SHOW_ALL viewport or a render texture), skips those that fall outside the
// current clip rectangle, and batches consecutive quads of one texture into
// one SDL call.
//
// Clipping: pushClip(rect) limits drawing to a rectangle in world design
// units, intersected with the clip already in force; popClip restores it.
class Renderer {
public:
    struct Stats {
        std::uint64_t quadsDrawn = 0;
        std::uint64_t quadsCulled = 0;
        std::uint64_t drawCalls = 0;
    };

    explicit Renderer(SDL_Renderer* sdlRenderer);
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    SDL_Renderer* getSDLRenderer() const { return sdl_; }

    // Starts a frame on the current SDL target: `viewport` is where the
    // design area lies in that target's pixels; everything outside stays
    // `clearColor` (the letterbox bars).
    void beginFrame(const Size& designSize, const SDL_Rect& viewport, const Mat4& projection,
                    const Color4B& clearColor);
    // Sends whatever is still batched.
    void flush();

    // A quad covering `localRect` in the space of `modelView`; `texture` may be
    // null for a plain colour. `uv` is the texture area in 0..1 with v down.
    // Returns false when the quad was culled.
    bool drawQuad(const Mat4& modelView, const Rect& localRect, Texture2D* texture, const Rect& uv,
                  const Color4B& color);

    void pushClip(const Rect& worldRect);
    void popClip();
    // The clip in force, in world design units.
    Rect getClip() const;

    // Draws into `target` (a texture created with SDL_TEXTUREACCESS_TARGET)
    // whose pixels show the world rectangle (0, 0, designSize); the previous
    // target, viewport and clips return with popRenderTarget. With `clear`
    // false the target keeps what was drawn into it before.
    bool pushRenderTarget(SDL_Texture* target, const Size& designSize, const Color4B& clearColor,
                          bool clear = true);
    void popRenderTarget();

    const Stats& getStats() const { return stats_; }
    void resetStats() { stats_ = Stats(); }

    // Maps a world point (design units, y up) to target pixels.
    Vec2 worldToPixels(const Vec2& world) const;

private:
    struct Target {
        SDL_Texture* texture = nullptr;
        Size designSize;
        SDL_Rect viewport{0, 0, 0, 0};
        std::vector<Rect> clips;
    };

    bool projectCorner(const Mat4& modelView, float x, float y, Vec2& pixel) const;
    // Draws the batch of plain (untextured) quads as filled rectangles, in the
    // batch's blend mode; false, with nothing drawn, when one of them is not an
    // upright rectangle.
    bool fillPlainRectangles();
    void applyClip();
    Rect currentClip() const;
    void updateTextureDownscale();
    SDL_Rect clipToPixels(const Rect& clip) const;

    SDL_Renderer* sdl_;
    Mat4 projection_;
    Target current_;
    std::vector<Target> savedTargets_;

    std::vector<SDL_Vertex> vertices_;
    std::vector<int> indices_;
    SDL_Texture* batchTexture_ = nullptr;
    bool batchOpaque_ = false;
    bool software_ = false;
    float textureDownscale_ = 1.0f;
    Stats stats_;
};

} // namespace engine
