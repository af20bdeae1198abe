#pragma once

#include "engine/2d/Layer.h"

namespace engine {

// A layer filled with one colour; the colour's alpha is the layer's opacity.
class LayerColor : public Layer {
public:
    CREATE_FUNC(LayerColor);
    static LayerColor* create(const Color4B& color);
    static LayerColor* create(const Color4B& color, float width, float height);

    bool init() override;
    bool initWithColor(const Color4B& color);
    bool initWithColor(const Color4B& color, float width, float height);

    void changeWidth(float width);
    void changeHeight(float height);
    void changeWidthAndHeight(float width, float height);

    void draw(Renderer* renderer, const Mat4& transform, std::uint32_t flags) override;

protected:
    LayerColor() = default;
};

} // namespace engine
