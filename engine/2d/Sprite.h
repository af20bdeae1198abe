#pragma once

#include "engine/2d/Node.h"

#include <string>

namespace engine {

class Texture2D;

// A textured rectangle: a picture (or part of one) drawn over its content
// size, tinted by its displayed colour and opacity. Without a texture it
// draws a plain rectangle in its colour.
class Sprite : public Node {
public:
    CREATE_FUNC(Sprite);
    static Sprite* create(const std::string& filename);
    static Sprite* create(const std::string& filename, const Rect& rect);
    static Sprite* createWithTexture(Texture2D* texture);
    static Sprite* createWithTexture(Texture2D* texture, const Rect& rect);

    bool init() override;
    virtual bool initWithFile(const std::string& filename);
    virtual bool initWithFile(const std::string& filename, const Rect& rect);
    virtual bool initWithTexture(Texture2D* texture);
    // `rect` is in design units of the texture (pixels / content scale factor).
    virtual bool initWithTexture(Texture2D* texture, const Rect& rect);

    // Loads the picture through the texture cache and shows all of it.
    virtual void setTexture(const std::string& filename);
    // Keeps the texture rectangle, except that a sprite without one shows the
    // whole new texture.
    virtual void setTexture(Texture2D* texture);
    Texture2D* getTexture() const { return texture_; }

    // The part of the texture shown, in design units; also the content size.
    virtual void setTextureRect(const Rect& rect);
    const Rect& getTextureRect() const { return textureRect_; }

    void setFlippedX(bool flipped) { flippedX_ = flipped; }
    void setFlippedY(bool flipped) { flippedY_ = flipped; }
    bool isFlippedX() const { return flippedX_; }
    bool isFlippedY() const { return flippedY_; }

    void draw(Renderer* renderer, const Mat4& transform, std::uint32_t flags) override;

protected:
    Sprite();
    ~Sprite() override;

private:
    Texture2D* texture_ = nullptr;
    Rect textureRect_;
    bool flippedX_ = false;
    bool flippedY_ = false;
};

} // namespace engine
