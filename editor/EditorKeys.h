#pragma once

#include "engine/base/Geometry.h"

#include <optional>

namespace engine {
class EventKeyboard;
class EventListenerKeyboard;
class Node;
} // namespace engine

class EditorSession;
class FieldScrollView;

// The editor's keyboard: Tab, the arrows, Return, Space and Delete build the
// program through the focus frame (EditorFocus) once Tab has shown it;
// Ctrl+Enter or F5 plays, Ctrl+Z undoes, Ctrl+Shift+Z
// and Ctrl+Y redo, Escape closes one thing, Ctrl+= (or Ctrl+;) / Ctrl+- / Ctrl+0 zoom
// the field in, out and back to 1.0 about the view's centre, and the arrow
// keys and Page Up / Page Down scroll the field. Keys reach it only while no
// text box (the number editor) has them, and while one of the session's popups
// or overlays is open only Escape (it closes one) and Return (the popup's OK)
// act: nothing may change behind it. Play, undo and redo are the session's commands, done by the
// rooms that bound them.
class EditorKeys {
public:
    // Field units per arrow key press, zoom per Ctrl+= / Ctrl+-, and the part
    // of the view's height that Page Up / Page Down scroll.
    static constexpr float kArrowStep = 40;
    static constexpr float kZoomStep = 0.1f;
    static constexpr float kPageFraction = 0.8f;

    // Listens on `owner` (keys act while it is in the running scene).
    EditorKeys(engine::Node* owner, FieldScrollView* field, EditorSession& session);
    ~EditorKeys();
    EditorKeys(const EditorKeys&) = delete;
    EditorKeys& operator=(const EditorKeys&) = delete;

    // Acts on a pressed key; false when the key means nothing here.
    bool keyPressed(const engine::EventKeyboard& key);

private:
    // What a key does before the editor's own commands: nothing for a held
    // Return, Escape, Space or F5; the popup's answer while one is open; the
    // focus's move or action. None: the commands decide.
    std::optional<bool> answeredFirst(const engine::EventKeyboard& key);
    // Closes a popup, else hides the focus frame.
    bool escape();
    void zoomTo(float zoom);
    void refreshFocus() const;
    // By `delta` field units, clamped to the field.
    void scrollBy(engine::Vec2 delta);

    engine::Node* owner_;
    FieldScrollView* field_;
    EditorSession& session_;
    engine::EventListenerKeyboard* listener_ = nullptr;
};
