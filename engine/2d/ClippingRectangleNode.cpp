#include "engine/2d/ClippingRectangleNode.h"

#include "engine/2d/Renderer.h"

#include <algorithm>

namespace engine {

ClippingRectangleNode* ClippingRectangleNode::create(const Rect& clippingRegion) {
    ClippingRectangleNode* node = create();
    if (node) {
        node->setClippingRegion(clippingRegion);
    }
    return node;
}

void ClippingRectangleNode::visit(Renderer* renderer, const Mat4& parentTransform,
                                  std::uint32_t parentFlags) {
    if (!isVisible() || !clippingEnabled_ || !renderer) {
        Node::visit(renderer, parentTransform, parentFlags);
        return;
    }
    const Mat4 world = parentTransform * getNodeToParentTransform();
    const Rect& r = clippingRegion_;
    const Vec2 corners[4] = {world.transformPoint(Vec2(r.getMinX(), r.getMinY())),
                             world.transformPoint(Vec2(r.getMaxX(), r.getMinY())),
                             world.transformPoint(Vec2(r.getMinX(), r.getMaxY())),
                             world.transformPoint(Vec2(r.getMaxX(), r.getMaxY()))};
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const Vec2& c : corners) {
        minX = std::min(minX, c.x);
        maxX = std::max(maxX, c.x);
        minY = std::min(minY, c.y);
        maxY = std::max(maxY, c.y);
    }
    renderer->pushClip(Rect(minX, minY, maxX - minX, maxY - minY));
    Node::visit(renderer, parentTransform, parentFlags);
    renderer->popClip();
}

} // namespace engine
