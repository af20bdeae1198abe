#pragma once

#include "engine/base/Value.h"
#include "field/EditHistory.h"

#include <functional>
#include <utility>

namespace engine {
class Node;
class Sprite;
} // namespace engine

class EditorSession;

// What undo and redo need from the editor around them.
struct UndoRedoHooks {
    std::function<engine::ValueVector()> program;                // the field as the program file holds it
    std::function<void(const engine::ValueVector&)> showProgram; // puts a program on the field instead
    std::function<void()> save;                                  // writes the program file
    std::function<bool()> isEditing;                             // a card held, a number being typed
};

// Undo and redo of the editor's finished edits, with their two buttons in
// the top right, left of the back button (above the run controls' panel the
// trash appears while a card is dragged). The history lives as long as the editor screen; each
// step back or forward is shown on the field and saved like an edit. The
// buttons are dimmed while there is nothing to undo or redo.
class UndoRedoControls {
public:
    static constexpr const char* kUndoImage = "res/r_undo.png";
    static constexpr const char* kRedoImage = "res/r_redo.png";
    // Between the buttons, and from the redo button to the back button
    // (clear of the back button's tab).
    static constexpr float kGap = 8;
    static constexpr float kGapToBack = 28;

    explicit UndoRedoControls(UndoRedoHooks hooks) : hooks_(std::move(hooks)) {}

    // Adds the buttons to `scene` in a row left of `backButton`. False when
    // a picture is missing.
    bool build(engine::Node* scene, const engine::Node* backButton);
    // Starts the history from the program on the field (once it is loaded).
    void start();
    // Undo and redo are also the session's commands (the keys').
    void registerWith(EditorSession& session);
    // After every save: a changed program becomes a step.
    void recordEdit();
    // False when there is no step or an edit is under way.
    bool undo();
    bool redo();

    const pavlune::EditHistory& history() const { return history_; }
    engine::Sprite* getUndoButton() const { return undoButton_; }
    engine::Sprite* getRedoButton() const { return redoButton_; }
    // Whether the button shows dimmed (nothing to do).
    static bool isDimmed(const engine::Sprite* button);

private:
    bool step(const pavlune::EditHistory::Program* program);
    void refreshButtons();

    UndoRedoHooks hooks_;
    pavlune::EditHistory history_;
    engine::Sprite* undoButton_ = nullptr;
    engine::Sprite* redoButton_ = nullptr;
    // Saving a step is no new edit.
    bool stepping_ = false;
};
