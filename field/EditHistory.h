#pragma once

#include "engine/base/Value.h"

#include <cstddef>
#include <deque>

namespace pavlune {

// Undo and redo of finished edits as whole programs: each step is the
// program file's elements (ProgramDocument::save) as they stood, so going
// back gives the very file that was there before. Keeping whole programs
// rather than inverse operations makes every kind of edit undoable the same
// way, and a field of 40 rows is small.
//
// The history knows the current program; record() after every save pushes
// it only when the program changed, so saves that change nothing (a tap, a
// dialect switch) leave no step.
class EditHistory {
public:
    using Program = engine::ValueVector;
    static constexpr std::size_t kDefaultLimit = 100;

    explicit EditHistory(std::size_t limit = kDefaultLimit) : limit_(limit) {}

    // Starts over from `current` with no steps (the program as loaded).
    void reset(Program current);
    // The program after a finished edit. False when it is the current one
    // (no step); otherwise the old one becomes an undo step, the oldest step
    // goes beyond the limit, and redo is dropped.
    bool record(Program now);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    std::size_t undoSteps() const { return undo_.size(); }
    std::size_t redoSteps() const { return redo_.size(); }

    // Steps back or forward; the program to show, which becomes current.
    // Null when there is no step.
    const Program* undo();
    const Program* redo();
    const Program& current() const { return current_; }

private:
    std::size_t limit_;
    Program current_;
    std::deque<Program> undo_;
    std::deque<Program> redo_;
};

} // namespace pavlune
