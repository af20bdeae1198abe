#include "engine/2d/Renderer.h"

#include "engine/2d/Director.h"
#include "engine/2d/Texture2D.h"

#include <algorithm>
#include <cmath>

namespace engine {

namespace {

// Vertices closer to the eye than this (in clip w) are not drawn; a quad
// turned through the camera plane would otherwise fold over the screen.
constexpr float kMinClipW = 1e-3f;

} // namespace

Renderer::Renderer(SDL_Renderer* sdlRenderer) : sdl_(sdlRenderer) {
    vertices_.reserve(std::size_t{4} * 256);
    indices_.reserve(std::size_t{6} * 256);
    SDL_RendererInfo info{};
    software_ = SDL_GetRendererInfo(sdl_, &info) == 0 && (info.flags & SDL_RENDERER_SOFTWARE) != 0;
}

void Renderer::updateTextureDownscale() {
    // A software renderer scales pictures slowly on every draw; pictures are
    // uploaded at the size they appear at instead (pixels per design unit
    // over the pixels per design unit the pictures were drawn for).
    // A render target keeps the window's scale: uploading every picture
    // again for it, and back for the next frame, cost more than the drawing.
    const Target& window = savedTargets_.empty() || savedTargets_.front().designSize.width <= 0
                               ? current_
                               : savedTargets_.front();
    textureDownscale_ = 1.0f;
    if (software_ && window.designSize.width > 0) {
        const float pixelsPerUnit = window.viewport.w / window.designSize.width;
        textureDownscale_ = std::min(1.0f, pixelsPerUnit / Director::getInstance()->getContentScaleFactor());
    }
}

void Renderer::beginFrame(const Size& designSize, const SDL_Rect& viewport, const Mat4& projection,
                          const Color4B& clearColor) {
    flush();
    projection_ = projection;
    current_.texture = SDL_GetRenderTarget(sdl_);
    current_.designSize = designSize;
    current_.viewport = viewport;
    current_.clips.assign(1, Rect(0, 0, designSize.width, designSize.height));
    SDL_RenderSetClipRect(sdl_, nullptr);
    SDL_SetRenderDrawColor(sdl_, clearColor.r, clearColor.g, clearColor.b, clearColor.a);
    SDL_RenderClear(sdl_);
    SDL_SetRenderDrawBlendMode(sdl_, SDL_BLENDMODE_BLEND);
    batchOpaque_ = false;
    updateTextureDownscale();
    applyClip();
}

Vec2 Renderer::worldToPixels(const Vec2& world) const {
    const float sx = current_.viewport.w / current_.designSize.width;
    const float sy = current_.viewport.h / current_.designSize.height;
    return {current_.viewport.x + world.x * sx,
            current_.viewport.y + (current_.designSize.height - world.y) * sy};
}

bool Renderer::projectCorner(const Mat4& modelView, float x, float y, Vec2& pixel) const {
    // Nodes in the z = 0 plane (no 3D turn) are mapped directly: the camera
    // shows that plane one design unit per unit, and skipping the divide keeps
    // edges exact.
    if (modelView.m[2] == 0 && modelView.m[6] == 0 && modelView.m[14] == 0) {
        pixel = worldToPixels(modelView.transformPoint(Vec2(x, y)));
        return true;
    }
    const Vec4 clip = (projection_ * modelView).transform(Vec4(x, y, 0, 1));
    if (clip.w < kMinClipW) {
        return false;
    }
    // Normalised device coordinates back to the window's design units; the
    // camera's view is always the window's design area.
    const Size win = savedTargets_.empty() ? current_.designSize : savedTargets_.front().designSize;
    const Vec2 world((clip.x / clip.w + 1) * 0.5f * win.width, (clip.y / clip.w + 1) * 0.5f * win.height);
    pixel = worldToPixels(world);
    return true;
}

bool Renderer::drawQuad(const Mat4& modelView, const Rect& localRect, Texture2D* texture, const Rect& uv,
                        const Color4B& color) {
    const float x0 = localRect.getMinX(), x1 = localRect.getMaxX();
    const float y0 = localRect.getMinY(), y1 = localRect.getMaxY();
    // bottom-left, bottom-right, top-left, top-right
    Vec2 p[4];
    if (!projectCorner(modelView, x0, y0, p[0]) || !projectCorner(modelView, x1, y0, p[1]) ||
        !projectCorner(modelView, x0, y1, p[2]) || !projectCorner(modelView, x1, y1, p[3])) {
        ++stats_.quadsCulled;
        return false;
    }
    float minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
    for (const Vec2& v : p) {
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    const SDL_Rect clip = clipToPixels(currentClip());
    if (maxX <= clip.x || minX >= clip.x + clip.w || maxY <= clip.y || minY >= clip.y + clip.h ||
        maxX - minX < 1e-3f || maxY - minY < 1e-3f) {
        ++stats_.quadsCulled;
        return false;
    }

    SDL_Texture* sdlTexture = texture ? texture->getSDLTexture(sdl_, textureDownscale_) : nullptr;
    if (texture && !sdlTexture) {
        ++stats_.quadsCulled;
        return false;
    }
    // Opaque plain colours need no blending, which saves much of a
    // software renderer's time for backgrounds.
    const bool opaque = !sdlTexture && color.a == 255;
    if (sdlTexture != batchTexture_ || opaque != batchOpaque_) {
        flush();
        batchTexture_ = sdlTexture;
        batchOpaque_ = opaque;
    }
    const SDL_Color c{color.r, color.g, color.b, color.a};
    const float u0 = uv.getMinX(), u1 = uv.getMaxX();
    const float vTop = uv.getMinY(), vBottom = uv.getMaxY();
    const int base = static_cast<int>(vertices_.size());
    vertices_.push_back({{p[0].x, p[0].y}, c, {u0, vBottom}});
    vertices_.push_back({{p[1].x, p[1].y}, c, {u1, vBottom}});
    vertices_.push_back({{p[2].x, p[2].y}, c, {u0, vTop}});
    vertices_.push_back({{p[3].x, p[3].y}, c, {u1, vTop}});
    for (int i : {0, 1, 2, 1, 3, 2}) {
        indices_.push_back(base + i);
    }
    ++stats_.quadsDrawn;
    return true;
}

void Renderer::flush() {
    if (indices_.empty()) {
        return;
    }
    if (!batchTexture_) {
        SDL_SetRenderDrawBlendMode(sdl_, batchOpaque_ ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND);
    }
    if (batchTexture_ || !fillPlainRectangles()) {
        SDL_RenderGeometry(sdl_, batchTexture_, vertices_.data(), static_cast<int>(vertices_.size()),
                           indices_.data(), static_cast<int>(indices_.size()));
    }
    ++stats_.drawCalls;
    vertices_.clear();
    indices_.clear();
}

bool Renderer::fillPlainRectangles() {
    // SDL's software renderer draws a rectangle given as geometry through its
    // triangle rasteriser, many times slower than its rectangle fill (plain or
    // blended): a full-screen background or a dimming veil took most of a frame.
    for (std::size_t q = 0; q + 3 < vertices_.size(); q += 4) {
        const SDL_Vertex* v = &vertices_[q];
        if (v[0].position.y != v[1].position.y || v[2].position.y != v[3].position.y ||
            v[0].position.x != v[2].position.x || v[1].position.x != v[3].position.x) {
            return false; // a turned quad: the batch goes as geometry
        }
    }
    for (std::size_t q = 0; q + 3 < vertices_.size(); q += 4) {
        const SDL_Vertex* v = &vertices_[q];
        const SDL_FRect rect{
            std::min(v[0].position.x, v[1].position.x), std::min(v[0].position.y, v[2].position.y),
            std::fabs(v[1].position.x - v[0].position.x), std::fabs(v[2].position.y - v[0].position.y)};
        SDL_SetRenderDrawColor(sdl_, v[0].color.r, v[0].color.g, v[0].color.b, v[0].color.a);
        SDL_RenderFillRectF(sdl_, &rect);
    }
    return true;
}

SDL_Rect Renderer::clipToPixels(const Rect& clip) const {
    const Vec2 topLeft = worldToPixels(Vec2(clip.getMinX(), clip.getMaxY()));
    const Vec2 bottomRight = worldToPixels(Vec2(clip.getMaxX(), clip.getMinY()));
    const int x0 = static_cast<int>(std::lround(topLeft.x));
    const int y0 = static_cast<int>(std::lround(topLeft.y));
    const int x1 = static_cast<int>(std::lround(bottomRight.x));
    const int y1 = static_cast<int>(std::lround(bottomRight.y));
    return SDL_Rect{x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0)};
}

void Renderer::applyClip() {
    const SDL_Rect rect = clipToPixels(currentClip());
    SDL_RenderSetClipRect(sdl_, &rect);
}

void Renderer::pushClip(const Rect& worldRect) {
    flush();
    current_.clips.push_back(currentClip().intersection(worldRect));
    applyClip();
}

void Renderer::popClip() {
    if (current_.clips.size() <= 1) {
        return; // the target's own area is never popped
    }
    flush();
    current_.clips.pop_back();
    applyClip();
}

Rect Renderer::getClip() const {
    return currentClip();
}

Rect Renderer::currentClip() const {
    // A render texture may be drawn before the window's first frame, when the
    // window target has no clip yet: its whole design area is the clip then.
    if (current_.clips.empty()) {
        return Rect(0, 0, current_.designSize.width, current_.designSize.height);
    }
    return current_.clips.back();
}

bool Renderer::pushRenderTarget(SDL_Texture* target, const Size& designSize, const Color4B& clearColor,
                                bool clear) {
    int w = 0, h = 0;
    if (!target || SDL_QueryTexture(target, nullptr, nullptr, &w, &h) != 0) {
        return false;
    }
    flush();
    if (SDL_SetRenderTarget(sdl_, target) != 0) {
        applyClip();
        return false;
    }
    savedTargets_.push_back(current_);
    current_.texture = target;
    current_.designSize = designSize;
    current_.viewport = SDL_Rect{0, 0, w, h};
    current_.clips.assign(1, Rect(0, 0, designSize.width, designSize.height));
    SDL_RenderSetClipRect(sdl_, nullptr);
    if (clear) {
        SDL_SetRenderDrawColor(sdl_, clearColor.r, clearColor.g, clearColor.b, clearColor.a);
        SDL_RenderClear(sdl_);
    }
    updateTextureDownscale();
    applyClip();
    return true;
}

void Renderer::popRenderTarget() {
    if (savedTargets_.empty()) {
        return;
    }
    flush();
    current_ = savedTargets_.back();
    savedTargets_.pop_back();
    SDL_SetRenderTarget(sdl_, current_.texture);
    updateTextureDownscale();
    applyClip();
}

} // namespace engine
