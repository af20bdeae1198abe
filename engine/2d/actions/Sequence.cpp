#include "engine/2d/actions/Sequence.h"

#include "engine/2d/actions/PairwiseChain.h"

#include <cfloat>
#include <new>

namespace engine {

Sequence* Sequence::createWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo) {
    auto* sequence = new (std::nothrow) Sequence();
    if (sequence && sequence->initWithTwoActions(actionOne, actionTwo)) {
        sequence->autorelease();
        return sequence;
    }
    delete sequence;
    return nullptr;
}

Sequence* Sequence::create(const std::vector<FiniteTimeAction*>& actions) {
    return chainPairwise<Sequence>(actions);
}

Sequence::~Sequence() {
    safeRelease(actions_[0]);
    safeRelease(actions_[1]);
}

bool Sequence::initWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo) {
    if (!actionOne || !actionTwo) {
        return false;
    }
    ActionInterval::initWithDuration(actionOne->getDuration() + actionTwo->getDuration());
    actionOne->retain();
    actionTwo->retain();
    actions_[0] = actionOne;
    actions_[1] = actionTwo;
    return true;
}

void Sequence::startWithTarget(Node* target) {
    if (!target) {
        return;
    }
    if (duration_ > FLT_EPSILON) {
        // An instant first action takes no share of the time, however short the whole.
        split_ = actions_[0]->getDuration() > FLT_EPSILON ? actions_[0]->getDuration() / duration_ : 0;
    }
    ActionInterval::startWithTarget(target);
    last_ = -1;
}

void Sequence::stop() {
    if (last_ != -1) {
        actions_[last_]->stop();
    }
    ActionInterval::stop();
}

void Sequence::update(float time) {
    int found = 0;
    float newTime = 0;
    if (time < split_) {
        found = 0;
        newTime = split_ != 0 ? time / split_ : 1;
    } else {
        found = 1;
        newTime = split_ == 1 ? 1 : (time - split_) / (1 - split_);
    }

    if (found == 1) {
        if (last_ == -1) {
            // The first action was skipped over in one step: run it whole.
            actions_[0]->startWithTarget(target_);
            actions_[0]->update(1.0f);
            actions_[0]->stop();
        } else if (last_ == 0) {
            // Switching to the second action: finish the first.
            actions_[0]->update(1.0f);
            actions_[0]->stop();
        }
    } else if (last_ == 1) {
        // Going backwards (a reversed time line): rewind the second action.
        actions_[1]->update(0);
        actions_[1]->stop();
    }

    if (found == last_ && actions_[found]->isDone()) {
        return;
    }
    if (found != last_) {
        actions_[found]->startWithTarget(target_);
    }
    actions_[found]->update(newTime);
    last_ = found;
}

Sequence* Sequence::clone() const {
    return createWithTwoActions(actions_[0]->clone(), actions_[1]->clone());
}

} // namespace engine
