#include "engine/2d/actions/RemoveSelf.h"

#include "engine/2d/Node.h"

#include <new>

namespace engine {

RemoveSelf* RemoveSelf::create(bool isNeedCleanUp) {
    auto* action = new (std::nothrow) RemoveSelf();
    if (!action) {
        return nullptr;
    }
    action->isNeedCleanUp_ = isNeedCleanUp;
    action->autorelease();
    return action;
}

void RemoveSelf::update(float) {
    if (target_) {
        target_->removeFromParentAndCleanup(isNeedCleanUp_);
    }
}

RemoveSelf* RemoveSelf::clone() const {
    return create(isNeedCleanUp_);
}

} // namespace engine
