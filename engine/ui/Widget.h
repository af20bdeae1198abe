#pragma once

#include "engine/2d/Node.h"

namespace engine::ui {

// The base of the user-interface controls: the touch phases that controls
// are driven with and where their pictures come from.
class Widget : public Node {
public:
    enum class TouchEventType { BEGAN, MOVED, ENDED, CANCELED };
    // LOCAL: a picture file; PLIST: a frame of a sprite sheet (not supported here).
    enum class TextureResType { LOCAL = 0, PLIST = 1 };

protected:
    Widget() = default;
};

} // namespace engine::ui
