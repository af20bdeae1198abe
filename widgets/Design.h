#pragma once

#include "engine/base/Color.h"
#include "engine/base/Geometry.h"

#include <cstdint>

// Layout and theme values that every screen shares. Layout is in design units
// of the 1024 x 768 design resolution.
namespace design {

inline constexpr float kWidth = 1024;
inline constexpr float kHeight = 768;
inline const engine::Size kSize(kWidth, kHeight);

// Opacity of a control while a touch holds it.
inline constexpr std::uint8_t kPressedOpacity = 192;

// Duration of the slide between the list and the editor.
inline constexpr float kSceneTransitionDuration = 0.5f;

// Width of the editor's palette on the left.
inline constexpr float kPaletteWidth = 275;

inline const engine::Color4B kThemeBlue(105, 208, 238, 255);
inline const engine::Color3B kTextGrey(30, 30, 30);
inline const engine::Color4B kDimming(0, 0, 0, 128);

} // namespace design
