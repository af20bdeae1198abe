#include "engine/2d/events/SceneGraphOrder.h"

#include "engine/2d/Node.h"
#include "engine/2d/events/EventListener.h"

#include <algorithm>
#include <utility>

namespace engine {

void SceneGraphOrder::sortTopFirst(std::vector<EventListener*>& sceneGraph) {
    if (sceneGraph.size() > 1 && sceneGraph.size() <= kFewListeners) {
        // A few listeners (the claimers of a touch): compare their nodes'
        // places directly instead of walking the whole tree.
        std::vector<std::pair<std::vector<const Node*>, EventListener*>> paths;
        paths.reserve(sceneGraph.size());
        for (EventListener* l : sceneGraph) {
            std::vector<const Node*> path;
            for (const Node* n = l->getAssociatedNode(); n; n = n->getParent()) {
                path.push_back(n);
            }
            std::reverse(path.begin(), path.end());
            paths.emplace_back(std::move(path), l);
        }
        std::stable_sort(paths.begin(), paths.end(),
                         [](const auto& a, const auto& b) { return drawnBefore(b.first, a.first); });
        for (std::size_t i = 0; i < paths.size(); ++i) {
            sceneGraph[i] = paths[i].second;
        }
    } else if (sceneGraph.size() > 1) {
        const auto order = drawingOrderOf(sceneGraph);
        std::vector<std::pair<int, EventListener*>> ranked;
        ranked.reserve(sceneGraph.size());
        for (EventListener* l : sceneGraph) {
            auto it = order.find(l->getAssociatedNode());
            ranked.emplace_back(it == order.end() ? -1 : it->second, l);
        }
        // The node drawn last is asked first; one node's listeners keep their order.
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (std::size_t i = 0; i < ranked.size(); ++i) {
            sceneGraph[i] = ranked[i].second;
        }
    }
}

std::unordered_map<const Node*, int>
SceneGraphOrder::drawingOrderOf(const std::vector<EventListener*>& sceneGraph) {
    std::unordered_map<const Node*, int> order; // -1 until the node is reached
    std::vector<Node*> roots;
    for (const EventListener* l : sceneGraph) {
        Node* node = l->getAssociatedNode();
        if (!node || !order.emplace(node, -1).second) {
            continue;
        }
        Node* root = node;
        while (root->getParent()) {
            root = root->getParent();
        }
        if (std::find(roots.begin(), roots.end(), root) == roots.end()) {
            roots.push_back(root);
        }
    }
    // Drawing order: children with negative z, the node, then the other
    // children. Walked with an explicit stack: a node entry either expands
    // (pushes its parts in reverse) or, once expanded, takes its number.
    struct Step {
        Node* node;
        bool expanded;
    };
    std::vector<Step> stack;
    int counter = 0;
    for (auto root = roots.rbegin(); root != roots.rend(); ++root) {
        stack.push_back({*root, false});
    }
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        if (step.expanded) {
            auto found = order.find(step.node);
            if (found != order.end()) {
                found->second = counter;
            }
            ++counter;
            continue;
        }
        step.node->sortAllChildren();
        const auto& children = step.node->getChildren();
        std::size_t firstNonNegative = 0;
        while (firstNonNegative < children.size() && children.at(firstNonNegative)->getLocalZOrder() < 0) {
            ++firstNonNegative;
        }
        for (std::size_t i = children.size(); i > firstNonNegative; --i) {
            stack.push_back({children.at(i - 1), false});
        }
        stack.push_back({step.node, true});
        for (std::size_t i = firstNonNegative; i > 0; --i) {
            stack.push_back({children.at(i - 1), false});
        }
    }
    return order;
}

bool SceneGraphOrder::drawnBefore(const std::vector<const Node*>& a, const std::vector<const Node*>& b) {
    if (a.empty() || b.empty()) {
        return false;
    }
    if (a.front() != b.front()) {
        return a.front() < b.front(); // separate trees: any fixed order will do
    }
    std::size_t depth = 0;
    while (depth < a.size() && depth < b.size() && a[depth] == b[depth]) {
        ++depth;
    }
    if (depth == a.size() && depth == b.size()) {
        return false; // the same node
    }
    if (depth == a.size()) {
        return b[depth]->getLocalZOrder() >= 0; // b below a: after a unless behind it
    }
    if (depth == b.size()) {
        return a[depth]->getLocalZOrder() < 0; // a below b: before b only when behind it
    }
    const Node* branchA = a[depth];
    const Node* branchB = b[depth];
    if (branchA->getLocalZOrder() != branchB->getLocalZOrder()) {
        return branchA->getLocalZOrder() < branchB->getLocalZOrder();
    }
    return branchA->getOrderOfArrival() < branchB->getOrderOfArrival();
}

} // namespace engine
