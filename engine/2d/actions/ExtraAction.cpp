#include "engine/2d/actions/ExtraAction.h"

#include <new>

namespace engine {

ExtraAction* ExtraAction::create() {
    auto* action = new (std::nothrow) ExtraAction();
    if (action) {
        action->autorelease();
    }
    return action;
}

ExtraAction* ExtraAction::clone() const {
    return create();
}

void ExtraAction::update(float) {}

void ExtraAction::step(float) {}

} // namespace engine
