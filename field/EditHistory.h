#pragma once

#include "engine/base/Value.h"

#include <cstddef>
#include <deque>

namespace pavlune {

// Undo and redo of finished edits over the program file's elements
// (ProgramDocument::save), so going back gives the very file that was there
// before, whatever kind of edit it was. Only the current program is kept
// whole: each step keeps the stretch of elements in which it differs from
// its neighbour (everything between the first and the last element that
// changed), so the elements an edit leaves alone, such as a long unshown
// tail of a big file, are not copied once per step.
//
// The history knows the current program; record() after every save pushes
// a step only when the program changed, so saves that change nothing (a tap,
// a dialect switch) leave no step.
class EditHistory {
public:
    using Program = engine::ValueVector;
    static constexpr std::size_t kDefaultLimit = 100;

    explicit EditHistory(std::size_t limit = kDefaultLimit) : limit_(limit) {}

    // Starts over from `current` with no steps (the program as loaded).
    void reset(Program current);
    // The program after a finished edit. False when it is the current one
    // (no step); otherwise the way back becomes an undo step, the oldest step
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
    // Replaces `count` elements of the current program from `at` with `elements`.
    struct Change {
        std::size_t at = 0;
        std::size_t count = 0;
        Program elements;
    };
    // Makes the change to the current program; the change that undoes it.
    Change apply(Change change);

    std::size_t limit_;
    Program current_;
    std::deque<Change> undo_;
    std::deque<Change> redo_;
};

} // namespace pavlune
