#pragma once

#include <memory>

class EditorKeys;
class FieldScene;
class UndoRedoControls;

// Ties the editor's keys to what they do on the scene: play as the play
// button does, undo and redo, and what Escape closes, in this order: the
// port list, the dialect chooser, the number editor, a running send. While
// any of these is open, no other key acts.
class EditorKeyBindings {
public:
    static std::unique_ptr<EditorKeys> bind(FieldScene* scene, UndoRedoControls* undoRedo);
};
