#pragma once

#include "engine/base/Color.h"
#include "engine/base/Geometry.h"
#include "engine/base/ScreenLayout.h"

#include <cstdint>

// Layout and theme values that every screen shares, beside the layout limits
// that the field model shares too (ScreenLayout.h). Layout is in design units
// of the 1024 x 768 design resolution.
namespace design {

inline const engine::Size kSize(kWidth, kHeight);

// Opacity of a control while a touch holds it.
inline constexpr std::uint8_t kPressedOpacity = 192;

// Duration of the slide between the list and the editor.
inline constexpr float kSceneTransitionDuration = 0.5f;

inline const engine::Color4B kThemeBlue(105, 208, 238, 255);
inline const engine::Color3B kTextGrey(30, 30, 30);
inline const engine::Color4B kDimming(0, 0, 0, 128);
// The keyboard's focus frame, on the list and in the editor: the pictures' deep blue.
inline const engine::Color4B kFocusBlue(11, 110, 153, 255);

} // namespace design
