#pragma once

#include <functional>

namespace engine {
class Node;
}

// The behaviour of every button on the screens: a touch that begins on the
// node's touch area (at least a fingertip, HitTest::touchArea) dims it to the
// pressed opacity and is claimed (and swallowed); the end restores full
// opacity and acts only if the touch also ends there. A cancelled touch (the
// window lost the focus) restores the opacity and does nothing.
class PressedButton {
public:
    // Registers the listener on `node` with scene-graph priority. `enabled`,
    // when given, is asked at each press: a disabled button takes no touch.
    static void attach(engine::Node* node, std::function<void()> action,
                       std::function<bool()> enabled = nullptr);
};
