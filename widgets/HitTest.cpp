#include "widgets/HitTest.h"

#include "engine/2d/Node.h"
#include "engine/2d/events/Touch.h"

#include <algorithm>

bool HitTest::contains(const engine::Node* node, const engine::Vec2& screenPoint) {
    const engine::Node* parent = node->getParent();
    const engine::Vec2 point = parent ? parent->convertToNodeSpace(screenPoint) : screenPoint;
    return node->getBoundingBox().containsPoint(point);
}

bool HitTest::contains(const engine::Node* node, const engine::Touch* touch) {
    return contains(node, touch->getLocation());
}

engine::Rect HitTest::worldBoundingBox(const engine::Node* node) {
    const engine::Rect box = node->getBoundingBox();
    const engine::Node* parent = node->getParent();
    if (!parent) {
        return box;
    }
    const engine::Vec2 origin = parent->convertToWorldSpace(box.origin);
    const engine::Vec2 corner =
        parent->convertToWorldSpace(box.origin + engine::Vec2(box.size.width, box.size.height));
    return engine::Rect(origin.x, origin.y, corner.x - origin.x, corner.y - origin.y);
}

engine::Rect HitTest::touchArea(const engine::Node* node, float grow) {
    const engine::Rect box = worldBoundingBox(node);
    const float width = std::max(box.size.width * grow, kMinTouchSide);
    const float height = std::max(box.size.height * grow, kMinTouchSide);
    return engine::Rect(box.getMidX() - width / 2, box.getMidY() - height / 2, width, height);
}

bool HitTest::containsTouchArea(const engine::Node* node, const engine::Touch* touch) {
    return touchArea(node).containsPoint(touch->getLocation());
}

bool HitTest::containsInContent(const engine::Node* node, const engine::Vec2& screenPoint) {
    const engine::Vec2 local = node->convertToNodeSpace(screenPoint);
    const engine::Size& size = node->getContentSize();
    return local.x >= 0 && local.y >= 0 && local.x <= size.width && local.y <= size.height;
}
