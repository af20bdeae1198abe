#pragma once

#include "sim/BoardOutputs.h"
#include "sim/BoardProgram.h"

#include <memory>
#include <optional>

namespace pavlune {

// The one program the board runs at a time. Starting another stops the
// running one; a visible program marks its start and its end in the changes,
// a quiet one (a statement typed at the prompt) does not.
class ProgramSlot {
public:
    ProgramSlot(const BoardClock& clock, BoardOutputs& outputs);

    void start(std::unique_ptr<BoardProgram> program, bool visible = true);
    // The running program stops where it is (another program takes over).
    void stop();
    // The break: the board resets. The running program stops and everything
    // is switched off, whether a program ran or had ended with the LED on.
    void reset();
    bool running() const { return program_ != nullptr; }
    BoardProgram* program() const { return program_.get(); }
    // The running line of a visible program (BoardProgram::runningLine); a
    // statement typed at the prompt is no line of the program.
    std::optional<int> runningLine() const;

    // Runs what is due; the moment the running program next needs a turn.
    std::optional<BoardClock::TimePoint> advance();

private:
    const BoardClock& clock_;
    BoardOutputs& outputs_;
    std::unique_ptr<BoardProgram> program_;
    bool visible_ = true;
};

} // namespace pavlune
