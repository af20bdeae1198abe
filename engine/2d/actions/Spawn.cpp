#include "engine/2d/actions/Spawn.h"

#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/PairwiseChain.h"
#include "engine/2d/actions/Sequence.h"

#include <algorithm>
#include <new>

namespace engine {

Spawn* Spawn::createWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo) {
    auto* spawn = new (std::nothrow) Spawn();
    if (spawn && spawn->initWithTwoActions(actionOne, actionTwo)) {
        spawn->autorelease();
        return spawn;
    }
    delete spawn;
    return nullptr;
}

Spawn* Spawn::create(const std::vector<FiniteTimeAction*>& actions) {
    return chainPairwise<Spawn>(actions);
}

Spawn::~Spawn() {
    safeRelease(one_);
    safeRelease(two_);
}

bool Spawn::initWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo) {
    if (!actionOne || !actionTwo) {
        return false;
    }
    const float d1 = actionOne->getDuration();
    const float d2 = actionTwo->getDuration();
    ActionInterval::initWithDuration(std::max(d1, d2));
    one_ = actionOne;
    two_ = actionTwo;
    if (d1 > d2) {
        two_ = Sequence::createWithTwoActions(actionTwo, DelayTime::create(d1 - d2));
    } else if (d1 < d2) {
        one_ = Sequence::createWithTwoActions(actionOne, DelayTime::create(d2 - d1));
    }
    one_->retain();
    two_->retain();
    return true;
}

void Spawn::startWithTarget(Node* target) {
    ActionInterval::startWithTarget(target);
    one_->startWithTarget(target);
    two_->startWithTarget(target);
}

void Spawn::stop() {
    one_->stop();
    two_->stop();
    ActionInterval::stop();
}

void Spawn::update(float time) {
    one_->update(time);
    two_->update(time);
}

Spawn* Spawn::clone() const {
    return createWithTwoActions(one_->clone(), two_->clone());
}

} // namespace engine
