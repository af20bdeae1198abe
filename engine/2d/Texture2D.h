#pragma once

#include "engine/base/Geometry.h"
#include "engine/base/Ref.h"

#include <SDL.h>
#include <string>

namespace engine {

// A picture in pixels. It keeps its pixels in an SDL surface and uploads them
// to a renderer the first time it is drawn there, so pictures can be loaded
// before a window exists (and in tests without one). Its size in design units
// is its pixel size divided by the director's content scale factor.
class Texture2D : public Ref {
public:
    // Pixel layouts a render texture can be made in.
    enum class PixelFormat { RGBA8888, RGB888 };

    Texture2D();
    ~Texture2D() override;

    // Loads a PNG (or any format SDL_image reads).
    bool initWithFile(const std::string& path);
    // Decodes a picture file into pixels ready for initWithSurface, in the
    // layout the renderer draws (so uploading does not convert them); null when
    // the file is missing, unreadable or not a regular file (a pipe in its
    // place is never waited on). The caller frees the surface. Safe on any
    // thread: it touches nothing but the file and the new surface.
    // With `maxSide` above 0 only a PNG whose header gives at most that many
    // pixels each way is decoded: a picture from outside (a saved program's)
    // must not take gigabytes.
    static SDL_Surface* decodeFile(const std::string& path, int maxSide = 0);
    // A thread of its own that calls decodeFile starts with beginDecodingThread
    // (it then runs below the main thread's priority, so it does not hold up
    // frames) and ends with endDecodingThread (frees what decoding left with the
    // thread: SDL's per-thread error text).
    static void beginDecodingThread();
    static void endDecodingThread();
    // Shares the surface (its reference count is raised), as text rendering does.
    bool initWithSurface(SDL_Surface* surface);
    // Wraps a texture that already lives in `renderer` (a render target); the
    // texture is destroyed with this object.
    bool initWithSDLTexture(SDL_Renderer* renderer, SDL_Texture* texture);

    int getPixelsWide() const { return pixelsWide_; }
    int getPixelsHigh() const { return pixelsHigh_; }
    Size getContentSizeInPixels() const {
        return Size(static_cast<float>(pixelsWide_), static_cast<float>(pixelsHigh_));
    }
    Size getContentSize() const;

    // Smooth (linear) scaling is the default; alias selects nearest pixels.
    void setAntiAliasTexParameters();
    void setAliasTexParameters();

    // The texture in `renderer`, uploaded on first use; null when it cannot be
    // made. `downscale` below 1 uploads the picture reduced by that factor
    // (once, with alpha-weighted filtering): a software renderer then copies
    // it without scaling every frame. Texture coordinates are unaffected.
    SDL_Texture* getSDLTexture(SDL_Renderer* renderer, float downscale = 1.0f);
    SDL_Surface* getSurface() const { return surface_; }

    // Called before `renderer` is destroyed (it frees its textures itself):
    // every texture made in it is forgotten, and pictures upload again in
    // whatever renderer draws them next.
    static void forgetRenderer(SDL_Renderer* renderer);

private:
    void destroyTexture();
    static SDL_Surface* scaledCopy(SDL_Surface* source, float scale);
    static void boxFilter(SDL_Surface* source, SDL_Surface* target, int factor);

    SDL_Surface* surface_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Renderer* textureRenderer_ = nullptr;
    float textureScale_ = 1.0f;
    int pixelsWide_ = 0;
    int pixelsHigh_ = 0;
    bool smooth_ = true;
};

} // namespace engine
