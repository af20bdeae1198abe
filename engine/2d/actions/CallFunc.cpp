#include "engine/2d/actions/CallFunc.h"

#include <new>

namespace engine {

CallFunc* CallFunc::create(const std::function<void()>& function) {
    auto* action = new (std::nothrow) CallFunc();
    if (!action) {
        return nullptr;
    }
    action->function_ = function;
    action->autorelease();
    return action;
}

void CallFunc::execute() {
    if (function_) {
        // A copy: the function may remove the node that owns this action.
        const std::function<void()> function = function_;
        function();
    }
}

void CallFunc::update(float) {
    execute();
}

CallFunc* CallFunc::clone() const {
    return create(function_);
}

} // namespace engine
