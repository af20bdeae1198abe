#pragma once

#include "engine/2d/actions/ExtraAction.h"
#include "engine/2d/actions/FiniteTimeAction.h"

#include <vector>

namespace engine {

// Builds a two-action composite (Sequence, Spawn) over any number of actions
// by nesting pairs from the left: ((a, b), c). The list ends at its first null,
// so the original style `create(a, b, nullptr)` works; a single action is
// paired with an action that does nothing; an empty list gives null.
template <typename Pair> Pair* chainPairwise(const std::vector<FiniteTimeAction*>& actions) {
    std::vector<FiniteTimeAction*> list;
    for (FiniteTimeAction* action : actions) {
        if (!action) {
            break;
        }
        list.push_back(action);
    }
    if (list.empty()) {
        return nullptr;
    }
    if (list.size() == 1) {
        return Pair::createWithTwoActions(list[0], ExtraAction::create());
    }
    FiniteTimeAction* previous = list[0];
    for (std::size_t i = 1; i + 1 < list.size(); ++i) {
        previous = Pair::createWithTwoActions(previous, list[i]);
    }
    return Pair::createWithTwoActions(previous, list.back());
}

} // namespace engine
