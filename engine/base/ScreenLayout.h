#pragma once

// The screen's layout limits that the field model (display-free) and the
// screens both rely on. They live here, the one layer both may include, so
// that a model that clamps to the palette's edge and the palette that draws
// it cannot drift apart. Design units of the 1024 x 768 design resolution.
namespace design {

inline constexpr float kWidth = 1024;
inline constexpr float kHeight = 768;

// Width of the editor's palette on the left; dragged cards stay right of it.
inline constexpr float kPaletteWidth = 275;
// A dragged card's right edge stays this far inside the screen.
inline constexpr float kDragRightMargin = 5;

// The field sheet in view sizes: its width and height, and how far it starts
// scrolled down (to its top).
inline constexpr double kFieldWidthFactor = 1.5;
inline constexpr double kFieldHeightFactor = 7.33;
inline constexpr double kFieldInitialScrollFactor = 6.33;

} // namespace design
