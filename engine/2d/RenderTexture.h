#pragma once

#include "engine/2d/Node.h"
#include "engine/2d/Texture2D.h"
#include "engine/platform/Image.h"

#include <SDL.h>
#include <functional>
#include <string>

namespace engine {

class Sprite;

// An off-screen picture to draw nodes into: begin(), visit() the nodes, end().
// Its size is in design units; it holds size x content scale factor pixels.
// Drawing happens at once (the renderer draws immediately), so the picture is
// complete when end() returns. getSprite() shows it; saveToFile writes it as
// a PNG.
class RenderTexture : public Node {
public:
    using SaveCallback = std::function<void(RenderTexture*, const std::string&)>;

    // Null when there is no renderer (no view) or the texture cannot be made.
    static RenderTexture* create(int width, int height,
                                 Texture2D::PixelFormat format = Texture2D::PixelFormat::RGBA8888);
    bool initWithWidthAndHeight(int width, int height, Texture2D::PixelFormat format);

    // Draws what follows into the texture, over what it holds.
    void begin();
    void beginWithClear(float r, float g, float b, float a);
    void end();
    // Fills the texture with a colour (components 0..1).
    void clear(float r, float g, float b, float a);
    bool isDrawing() const { return drawing_; }

    // Shows the texture; centred anchor, content size = the texture's size.
    Sprite* getSprite() const { return sprite_; }
    Texture2D::PixelFormat getPixelFormat() const { return format_; }

    // The texture's pixels, rows from the top.
    bool newImage(Image& out) const;

    // Writes the texture as a PNG to `fileName` (a relative name is placed
    // below the writable path) through a temporary file renamed over the
    // target, so a failed write leaves any old file whole. The callback runs
    // on the main thread at the start of the next frame, after the write,
    // whether or not it succeeded (callers wait on it to move on); the
    // render texture is kept alive until then. With `isRGBA` false, or for
    // an RGB888 texture, the PNG has no alpha channel. Only PNG is written.
    bool saveToFile(const std::string& fileName, Image::Format format = Image::Format::PNG,
                    bool isRGBA = true, SaveCallback callback = nullptr);
    // Why the last saveToFile wrote nothing (the system's text for the failed
    // write, say); empty after one that wrote. The same reason is logged.
    const std::string& getSaveFailure() const { return saveFailure_; }

protected:
    RenderTexture() = default;
    ~RenderTexture() override;

private:
    Color4B emptyColor() const;
    // Empty when written, otherwise why not.
    std::string writePng(const std::string& fullPath, bool withAlpha) const;

    SDL_Texture* sdlTexture_ = nullptr; // owned by texture_
    Texture2D* texture_ = nullptr;
    Sprite* sprite_ = nullptr;
    Texture2D::PixelFormat format_ = Texture2D::PixelFormat::RGBA8888;
    bool drawing_ = false;
    std::string saveFailure_;
};

} // namespace engine
