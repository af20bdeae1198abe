#include "engine/2d/actions/Action.h"

namespace engine {

Action::Action() = default;

Action::~Action() = default;

bool Action::isDone() const {
    return true;
}

void Action::startWithTarget(Node* target) {
    originalTarget_ = target;
    target_ = target;
}

void Action::stop() {
    target_ = nullptr;
}

void Action::step(float) {}

void Action::update(float) {}

} // namespace engine
