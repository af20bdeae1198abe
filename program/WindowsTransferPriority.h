#pragma once

#include "program/TransferPriority.h"

namespace pavlune {

// Windows' TransferPriority: for one transfer, the 1 ms
// timer resolution (so a sleep ends within a millisecond of its deadline, not
// a 15.6 ms period later) and the highest normal priority of the calling
// thread, so a wake-up and the write after it run ahead of other work. A
// sleep ends shortly before its deadline and reads the clock up to it.
// The destructor gives both back. Make, raise and destroy on the thread that
// sends.
class WindowsTransferPriority : public TransferPriority {
public:
    WindowsTransferPriority() = default;
    ~WindowsTransferPriority() override;
    WindowsTransferPriority(const WindowsTransferPriority&) = delete;
    WindowsTransferPriority& operator=(const WindowsTransferPriority&) = delete;

    void raise() override;
    void sleepUntil(TransferClock::TimePoint deadline) override;
    bool raised() const { return priorityRaised_; }

private:
    bool tried_ = false;
    bool periodRaised_ = false;
    bool priorityRaised_ = false;
    int savedPriority_ = 0;
};

} // namespace pavlune
