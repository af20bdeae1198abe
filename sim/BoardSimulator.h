#pragma once

#include "catalogue/Dialect.h"
#include "sim/BoardContext.h"
#include "sim/JamBoard.h"
#include "sim/LatteBoard.h"
#include "sim/QueBoard.h"

#include <optional>

namespace pavlune {

// The board on the screen, display-free: bytes from the line go in, changes
// come out through the observer, and the caller gives it a turn at the
// moment `advance` names (or whenever a byte arrives).
//
// Without a fixed dialect it follows the sender: the jam break (0x1B) makes
// it a jam board, the latte break (a space where no jam line is being typed)
// a latte board, and a byte that no text holds (a que opcode, the padding)
// the start of a que image. Taking up another dialect stops the other's program.
class BoardSimulator {
public:
    BoardSimulator(const BoardClock& clock, BoardObserver& observer,
                   std::optional<Dialect> fixed = std::nullopt);

    void receive(char byte);
    // Runs what is due now; the moment of the next turn, or nothing while
    // only a byte from the line can change anything.
    std::optional<BoardClock::TimePoint> advance();
    // The board's reset button: the program stops and everything is switched off.
    void pressReset() { slot_.reset(); }
    const BoardOutputs& outputs() const { return outputs_; }
    Dialect dialect() const { return dialect_; }
    // Where the running program is (ProgramSlot::runningLine), in the
    // numbering of the current dialect; nothing while none runs.
    std::optional<int> runningLine() const { return slot_.runningLine(); }

private:
    Dialect dialectFor(char byte) const;

    const BoardClock& clock_;
    BoardOutputs outputs_;
    ProgramSlot slot_;
    JamBoard jam_;
    LatteBoard latte_;
    QueBoard que_;
    std::optional<Dialect> fixed_;
    Dialect dialect_ = jam;
};

} // namespace pavlune
