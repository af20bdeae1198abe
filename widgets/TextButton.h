#pragma once

#include "engine/base/Geometry.h"

#include <functional>
#include <string>

namespace engine {
class Node;
}

// A button of words: dark text on a white plate in a frame of the theme's
// blue, with the pressed behaviour of every button (PressedButton). For
// actions that have no picture of their own, such as programs as files.
class TextButton {
public:
    static constexpr float kFrame = 3;
    static constexpr float kFontSize = 15;

    // The button's node (its content size is `size`, anchored at its lower
    // left like a layer), or null when it cannot be made.
    static engine::Node* create(const std::string& text, const engine::Size& size,
                                std::function<void()> action);
};
