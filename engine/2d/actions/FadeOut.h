#pragma once

#include "engine/2d/actions/FadeTo.h"

namespace engine {

// Fades the target out to transparent.
class FadeOut : public FadeTo {
public:
    static FadeOut* create(float duration);

    FadeOut* clone() const override;

private:
    FadeOut() = default;
};

} // namespace engine
