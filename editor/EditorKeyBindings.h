#pragma once

#include <memory>

class EditorKeys;
class EditorPopups;
class FieldScene;
class UndoRedoControls;

// Ties the editor's keys and popups to the rooms. Every popup and overlay of
// the editor is listed here once, in the order Escape closes them: an alert
// box, the program panel, the port list, the dialect chooser, the number
// editor, a running send (its stop), the loading overlay (which no key
// closes). While any of them is open, no other key acts.
class EditorKeyBindings {
public:
    static void listPopups(FieldScene* scene, EditorPopups& popups);
    // Play as the play button does, undo and redo; Escape through `popups`.
    static std::unique_ptr<EditorKeys> bind(FieldScene* scene, UndoRedoControls* undoRedo,
                                            EditorPopups& popups);
};
