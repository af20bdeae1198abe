#pragma once

#include "engine/2d/Node.h"

namespace engine {

// Draws its children only inside a rectangle of its own space (scroll views,
// strips). Nested clipping nodes intersect their rectangles. The rectangle
// is clipped as its axis-aligned bounds on screen.
class ClippingRectangleNode : public Node {
public:
    CREATE_FUNC(ClippingRectangleNode);
    static ClippingRectangleNode* create(const Rect& clippingRegion);

    void setClippingRegion(const Rect& region) { clippingRegion_ = region; }
    const Rect& getClippingRegion() const { return clippingRegion_; }
    void setClippingEnabled(bool enabled) { clippingEnabled_ = enabled; }
    bool isClippingEnabled() const { return clippingEnabled_; }

    void visit(Renderer* renderer, const Mat4& parentTransform, std::uint32_t parentFlags) override;

protected:
    ClippingRectangleNode() = default;

private:
    Rect clippingRegion_;
    bool clippingEnabled_ = true;
};

} // namespace engine
