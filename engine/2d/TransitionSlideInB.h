#pragma once

#include "engine/2d/TransitionSlideIn.h"

namespace engine {

// The incoming scene rises from the bottom edge, drawn above the old one.
class TransitionSlideInB : public TransitionSlideIn {
public:
    static TransitionSlideInB* create(float duration, Scene* scene);

protected:
    TransitionSlideInB() = default;
    Vec2 startOffset() const override;
    void sceneOrder() override { inSceneOnTop_ = true; }
};

} // namespace engine
