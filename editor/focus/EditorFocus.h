#pragma once

#include "editor/focus/FocusFrame.h"
#include "engine/base/Geometry.h"

#include <vector>

namespace engine {
class EventKeyboard;
class Node;
} // namespace engine

class EditorSession;
class FieldScrollView;

// Building a program with the keyboard alone. Tab (Shift+Tab backwards)
// shows the focus frame and moves it between the palette, the field and the
// buttons around them; the arrows move it within them, wrapping at the ends.
// - Palette: Up / Down go through the cards, Left / Right through the card
//   sets; Return lays the card on the field's focused row, or on the first
//   free row after it (from the top again), as a card let go there with the
//   mouse; with no free row it lies loose, as one let go beside the rows.
// - Field: Up / Down go through the 40 rows; Delete (or Backspace) takes the
//   row's card off, Return on a number card opens its number editor.
// - Buttons: Return or Space presses the focused one.
// Every change is a finished edit of the session: saved and undoable as the
// mouse's. The focused thing is scrolled into view. Until the first Tab the
// arrows are the field's scrolling keys; Escape hides the frame again.
class EditorFocus {
public:
    enum class Area { palette, field, controls };

    explicit EditorFocus(EditorSession& session);
    ~EditorFocus();
    EditorFocus(const EditorFocus&) = delete;
    EditorFocus& operator=(const EditorFocus&) = delete;

    // A key without Ctrl or Alt while no popup is open; false when it means
    // nothing to the focus (then it is the editor's other keys').
    bool keyPressed(const engine::EventKeyboard& key);
    // Frames the focused thing again where it is now (after a zoom, a card
    // set chosen with the mouse, an undo).
    void refresh();
    bool isShown() const { return shown_; }
    void hide();

    Area area() const { return area_; }
    // The palette card's index in its set, and the field's row.
    int paletteIndex() const { return paletteIndex_; }
    int row() const { return row_; }
    // The focused button, or null outside them.
    engine::Node* focusedControl() const;
    const FocusFrame& frame() const { return frame_; }

private:
    void moveArea(int step);
    void moveWithin(int step);
    void switchCardSet(int step);
    bool press();
    void layPaletteCard();
    void removeRowCard();
    // The reachable buttons in reading order: top to bottom, left to right.
    std::vector<engine::Node*> reachableControls() const;
    // The first free row from `from` on, wrapping; -1 when all are taken.
    int freeRowFrom(int from) const;
    // Brings `node`'s box inside `view`'s window, as far as the view scrolls.
    static void scrollIntoView(FieldScrollView* view, const engine::Node* node);
    void showFrame();

    EditorSession& session_;
    FocusFrame frame_;
    bool shown_ = false;
    Area area_ = Area::palette;
    int paletteIndex_ = 0;
    int row_ = 0;
    engine::Node* control_ = nullptr;
};
