#pragma once

#include "program/TransferClock.h"

namespace pavlune {

// The real clock: the system's steady clock, and sleeps against absolute
// deadlines on it so that early wake-ups and late ones do not add up.
class SteadyTransferClock : public TransferClock {
public:
    TimePoint now() override;
    void sleepUntil(TimePoint deadline) override;
};

} // namespace pavlune
