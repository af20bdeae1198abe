#pragma once

#include "engine/base/Geometry.h"

#include <functional>

namespace engine {
class EventKeyboard;
class EventListenerKeyboard;
class Node;
} // namespace engine

class EditorPopups;
class FieldScrollView;

// The editor's keyboard: Ctrl+Enter or F5 plays, Ctrl+Z undoes, Ctrl+Shift+Z
// and Ctrl+Y redo, Escape closes one thing, Ctrl+= (or Ctrl+;) / Ctrl+- / Ctrl+0 zoom
// the field in, out and back to 1.0 about the view's centre, and the arrow
// keys and Page Up / Page Down scroll the field. Keys reach it only while no
// text box (the number editor) has them, and while one of the editor's popups
// or overlays is open only Escape acts (it closes one): nothing may change
// behind it.
class EditorKeys {
public:
    // Field units per arrow key press, zoom per Ctrl+= / Ctrl+-, and the part
    // of the view's height that Page Up / Page Down scroll.
    static constexpr float kArrowStep = 40;
    static constexpr float kZoomStep = 0.1f;
    static constexpr float kPageFraction = 0.8f;

    // Listens on `owner` (keys act while it is in the running scene);
    // `popups` (not owned) are what Escape closes.
    EditorKeys(engine::Node* owner, FieldScrollView* field, EditorPopups& popups);
    ~EditorKeys();
    EditorKeys(const EditorKeys&) = delete;
    EditorKeys& operator=(const EditorKeys&) = delete;

    std::function<void()> onPlay;
    std::function<void()> onUndo;
    std::function<void()> onRedo;
    // Acts on a pressed key; false when the key means nothing here.
    bool keyPressed(const engine::EventKeyboard& key);

private:
    void zoomTo(float zoom);
    // By `delta` field units, clamped to the field.
    void scrollBy(engine::Vec2 delta);

    engine::Node* owner_;
    FieldScrollView* field_;
    EditorPopups& popups_;
    engine::EventListenerKeyboard* listener_ = nullptr;
};
