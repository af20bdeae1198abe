#pragma once

#include "engine/2d/actions/FadeTo.h"

namespace engine {

// Fades the target in to full opacity.
class FadeIn : public FadeTo {
public:
    static FadeIn* create(float duration);

    FadeIn* clone() const override;

private:
    FadeIn() = default;
};

} // namespace engine
