#include "widgets/CullingLayer.h"

#include "engine/2d/Renderer.h"

#include <algorithm>

namespace {

// Whether `size` at `transform` (a child's world transform) can reach `clip`
// (world units). Only flat transforms are judged; a turned one may show.
bool mayShow(const engine::Mat4& transform, const engine::Size& size, const engine::Rect& clip) {
    if (size.width <= 0 || size.height <= 0) {
        return true;
    }
    if (transform.m[2] != 0 || transform.m[6] != 0 || transform.m[14] != 0) {
        return true;
    }
    const engine::Vec2 corners[] = {transform.transformPoint(engine::Vec2(0, 0)),
                                    transform.transformPoint(engine::Vec2(size.width, 0)),
                                    transform.transformPoint(engine::Vec2(0, size.height)),
                                    transform.transformPoint(engine::Vec2(size.width, size.height))};
    float minX = corners[0].x, maxX = corners[0].x, minY = corners[0].y, maxY = corners[0].y;
    for (const engine::Vec2& corner : corners) {
        minX = std::min(minX, corner.x);
        maxX = std::max(maxX, corner.x);
        minY = std::min(minY, corner.y);
        maxY = std::max(maxY, corner.y);
    }
    return maxX > clip.getMinX() && minX < clip.getMaxX() && maxY > clip.getMinY() && minY < clip.getMaxY();
}

} // namespace

void CullingLayer::visit(engine::Renderer* renderer, const engine::Mat4& parentTransform,
                         std::uint32_t parentFlags) {
    if (!culling_) {
        Layer::visit(renderer, parentTransform, parentFlags);
        return;
    }
    if (!isVisible()) {
        return;
    }
    const engine::Mat4 transform = parentTransform * getNodeToParentTransform();
    const engine::Rect clip = renderer->getClip();
    drawn_ = 0;
    skipped_ = 0;
    sortAllChildren();
    // The layer itself draws nothing, so children below and above it are
    // drawn alike, in their order.
    for (engine::Node* child : getChildren()) {
        if (!child->isVisible()) {
            continue;
        }
        if (!mayShow(transform * child->getNodeToParentTransform(), child->getContentSize(), clip)) {
            ++skipped_;
            continue;
        }
        ++drawn_;
        child->visit(renderer, transform, parentFlags);
    }
}
