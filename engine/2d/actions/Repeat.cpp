#include "engine/2d/actions/Repeat.h"

#include "engine/2d/actions/ActionInstant.h"

#include <cfloat>
#include <cmath>
#include <new>

namespace engine {

Repeat* Repeat::create(FiniteTimeAction* action, unsigned int times) {
    auto* repeat = new (std::nothrow) Repeat();
    if (repeat && repeat->initWithAction(action, times)) {
        repeat->autorelease();
        return repeat;
    }
    delete repeat;
    return nullptr;
}

Repeat::~Repeat() {
    safeRelease(innerAction_);
}

bool Repeat::initWithAction(FiniteTimeAction* action, unsigned int times) {
    if (!action) {
        return false;
    }
    ActionInterval::initWithDuration(action->getDuration() * static_cast<float>(times));
    times_ = times;
    innerAction_ = action;
    action->retain();
    actionInstant_ = dynamic_cast<ActionInstant*>(action) != nullptr;
    total_ = 0;
    return true;
}

void Repeat::startWithTarget(Node* target) {
    total_ = 0;
    nextDt_ = innerAction_->getDuration() / duration_;
    ActionInterval::startWithTarget(target);
    innerAction_->startWithTarget(target);
}

void Repeat::stop() {
    innerAction_->stop();
    ActionInterval::stop();
}

void Repeat::update(float time) {
    const float share = innerAction_->getDuration() / duration_;
    if (time >= nextDt_) {
        // Finish every round that this step passed over.
        while (time >= nextDt_ && total_ < times_) {
            innerAction_->update(1.0f);
            ++total_;
            innerAction_->stop();
            innerAction_->startWithTarget(target_);
            nextDt_ = share * static_cast<float>(total_ + 1);
        }
        // The last step lands exactly on the end: make sure the last round counts.
        if (std::abs(time - 1.0f) < FLT_EPSILON && total_ < times_) {
            innerAction_->update(1.0f);
            ++total_;
        }
        if (!actionInstant_) {
            if (total_ == times_) {
                innerAction_->stop();
            } else {
                // Carry the time beyond the round's end into the next round.
                innerAction_->update((time - (nextDt_ - share)) / share);
            }
        }
    } else {
        innerAction_->update(std::fmod(time * static_cast<float>(times_), 1.0f));
    }
}

bool Repeat::isDone() const {
    return total_ == times_;
}

Repeat* Repeat::clone() const {
    return create(innerAction_->clone(), times_);
}

} // namespace engine
