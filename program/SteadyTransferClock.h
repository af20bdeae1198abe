#pragma once

#include "program/RealtimeKit.h"
#include "program/TransferClock.h"
#include "program/TransferPriority.h"

#include <memory>

namespace pavlune {

// The real clock: the system's steady clock, and sleeps against absolute
// deadlines on it so that early wake-ups and late ones do not add up.
//
// The first use (a transfer reads the clock as it starts) raises the calling
// thread through the platform's TransferPriority, which also does the
// sleeping, so a wake-up and the write after it run ahead of a busy
// machine's other work. The clock puts the thread back as it was when
// destroyed. Make one per transfer, on the thread that sends.
class SteadyTransferClock : public TransferClock {
public:
    // The system's real-time broker, asked only where real-time scheduling
    // is refused.
    SteadyTransferClock();
    // `kit` null: no broker is asked.
    explicit SteadyTransferClock(std::unique_ptr<RealtimeKit> kit);
    SteadyTransferClock(const SteadyTransferClock&) = delete;
    SteadyTransferClock& operator=(const SteadyTransferClock&) = delete;
    ~SteadyTransferClock() override;

    TimePoint now() override;
    void sleepUntil(TimePoint deadline) override;

private:
    std::unique_ptr<RealtimeKit> kit_;
    std::unique_ptr<TransferPriority> priority_;
};

} // namespace pavlune
