#pragma once

#include "engine/2d/actions/ActionInterval.h"

namespace engine {

// Scales the target to a scale (or to separate x and y scales).
class ScaleTo : public ActionInterval {
public:
    static ScaleTo* create(float duration, float scale);
    static ScaleTo* create(float duration, float scaleX, float scaleY);

    void startWithTarget(Node* target) override;
    void update(float time) override;
    ScaleTo* clone() const override;

private:
    ScaleTo() = default;

    float endScaleX_ = 1;
    float endScaleY_ = 1;
    float startScaleX_ = 1;
    float startScaleY_ = 1;
};

} // namespace engine
