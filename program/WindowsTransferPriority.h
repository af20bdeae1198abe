#pragma once

namespace pavlune {

// Windows' counterpart of TransferThreadPriority: for one transfer, the 1 ms
// timer resolution (so a sleep ends within a millisecond of its deadline, not
// a 15.6 ms period later) and the highest normal priority of the calling
// thread, so a wake-up and the write after it run ahead of other work.
// The destructor gives both back. Make, raise and destroy on the thread that
// sends.
class WindowsTransferPriority {
public:
    WindowsTransferPriority() = default;
    ~WindowsTransferPriority();
    WindowsTransferPriority(const WindowsTransferPriority&) = delete;
    WindowsTransferPriority& operator=(const WindowsTransferPriority&) = delete;

    // Once; later calls change nothing.
    void raise();
    bool raised() const { return priorityRaised_; }

private:
    bool tried_ = false;
    bool periodRaised_ = false;
    bool priorityRaised_ = false;
    int savedPriority_ = 0;
};

} // namespace pavlune
