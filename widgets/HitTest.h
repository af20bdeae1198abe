#pragma once

#include "engine/base/Geometry.h"

namespace engine {
class Node;
class Touch;
} // namespace engine

// Whether a point on the screen lies on a node.
class HitTest {
public:
    // The smallest side of what a finger can hit (9 mm at 96 dpi, a child's
    // fingertip): a smaller button is hit this far about its centre.
    static constexpr float kMinTouchSide = 48;

    // Inside the node's bounding box, taken in its parent's space: the
    // axis-aligned box around the node as its parent sees it.
    static bool contains(const engine::Node* node, const engine::Vec2& screenPoint);
    static bool contains(const engine::Node* node, const engine::Touch* touch);
    // The node's bounding box in screen (world) units.
    static engine::Rect worldBoundingBox(const engine::Node* node);
    // Where a button takes a touch (screen units): its bounding box grown
    // `grow` times about its centre, and at least kMinTouchSide each way.
    static engine::Rect touchArea(const engine::Node* node, float grow = 1);
    static bool containsTouchArea(const engine::Node* node, const engine::Touch* touch);
    // Inside the node's own content rectangle, in its own space, so a turned
    // node is hit only on its picture, not on the corners of its box.
    static bool containsInContent(const engine::Node* node, const engine::Vec2& screenPoint);
};
