#pragma once

#include "engine/2d/TransitionSlideIn.h"

namespace engine {

// The incoming scene comes down from the top edge, drawn below the old one.
class TransitionSlideInT : public TransitionSlideIn {
public:
    static TransitionSlideInT* create(float duration, Scene* scene);

protected:
    TransitionSlideInT() = default;
    Vec2 startOffset() const override;
    void sceneOrder() override { inSceneOnTop_ = false; }
};

} // namespace engine
