#pragma once

#include "sim/BoardClock.h"
#include "sim/BoardOutputs.h"
#include "sim/ProgramSlot.h"

namespace pavlune {

// What every dialect's part of the board works on: the one clock, the
// outputs, the program slot and the observer.
struct BoardContext {
    const BoardClock& clock;
    BoardOutputs& outputs;
    ProgramSlot& slot;
    BoardObserver& observer;
};

} // namespace pavlune
