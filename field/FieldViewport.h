#pragma once

#include "engine/base/Geometry.h"

namespace pavlune {

// Where the field content lies on the screen: the content node's position
// (the scroll view's content offset) and its scale (the zoom), as the view
// reports them. The one place where screen and content units meet:
// screen = offset + content x zoom.
class FieldViewport {
public:
    FieldViewport() = default;
    FieldViewport(engine::Vec2 offset, float zoom) : offset_(offset), zoom_(zoom) {}

    engine::Vec2 offset() const { return offset_; }
    float zoom() const { return zoom_; }

    engine::Vec2 toScreen(engine::Vec2 content) const { return offset_ + content * zoom_; }
    engine::Vec2 toContent(engine::Vec2 screen) const { return (screen - offset_) / zoom_; }
    float toScreenLength(float content) const { return content * zoom_; }
    float toContentLength(float screen) const { return screen / zoom_; }

private:
    engine::Vec2 offset_;
    float zoom_ = 1.0f;
};

} // namespace pavlune
