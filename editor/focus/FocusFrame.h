#pragma once

#include "engine/base/Color.h"
#include "engine/base/Geometry.h"
#include "engine/base/RefPtr.h"

namespace engine {
class Node;
} // namespace engine

// The keyboard's focus frame: a thick deep blue band (the list's frame
// colour) with a yellow band inside it, which reads on the white field, on a card and on the theme's
// blue alike. It is drawn beside what it frames (a child of that node's
// parent), so it scrolls and slides with it; its bands keep their width on
// the screen at every zoom.
class FocusFrame {
public:
    // Screen units.
    static constexpr float kOuterWidth = 6;
    static constexpr float kInnerWidth = 4;
    // Between the framed area and the frame's inner edge.
    static constexpr float kGap = 2;
    // Over everything else in its parent.
    static constexpr int kZOrder = 1000000;
    static constexpr engine::Color4B kInnerColour{255, 214, 0, 255};

    FocusFrame();
    ~FocusFrame();
    FocusFrame(const FocusFrame&) = delete;
    FocusFrame& operator=(const FocusFrame&) = delete;

    // Around `area` (in `parent`'s space), where one unit is `screenScale`
    // screen units.
    void show(engine::Node* parent, const engine::Rect& area, float screenScale);
    void hide();
    bool isShown() const;
    engine::Node* node() const { return node_.get(); }

private:
    engine::RefPtr<engine::Node> node_;
};
