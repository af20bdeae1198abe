#pragma once

#include "engine/2d/TransitionScene.h"

namespace engine {

// Slides the incoming scene in from one edge while the outgoing scene moves
// out by the same distance, easing out (progress = sqrt(t)).
class TransitionSlideIn : public TransitionScene {
public:
    void onEnter() override;

protected:
    TransitionSlideIn() = default;
    // Where the incoming scene starts; both scenes move by minus this.
    virtual Vec2 startOffset() const = 0;

private:
    float elapsed_ = 0;
};

} // namespace engine
