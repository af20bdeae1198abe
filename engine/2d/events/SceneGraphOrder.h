#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace engine {

class EventListener;
class Node;

// Orders listeners registered with nodes the way their nodes are drawn: the
// node drawn last first (children with negative local z, then the node, then
// its other children; equal z in order of arrival). Listeners of one node keep
// their order.
class SceneGraphOrder {
public:
    static void sortTopFirst(std::vector<EventListener*>& sceneGraph);

private:
    // Up to this many listeners are ordered by comparing their nodes' paths;
    // more are ordered by one walk of the tree.
    static constexpr std::size_t kFewListeners = 16;

    static std::unordered_map<const Node*, int> drawingOrderOf(const std::vector<EventListener*>& sceneGraph);
    // Whether the node at the end of root-to-node path `a` is drawn before the one of `b`.
    static bool drawnBefore(const std::vector<const Node*>& a, const std::vector<const Node*>& b);
};

} // namespace engine
