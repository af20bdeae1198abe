#include "program/WindowsTransferPriority.h"

#include <windows.h>

#include <timeapi.h>

namespace pavlune {

WindowsTransferPriority::~WindowsTransferPriority() {
    if (priorityRaised_) {
        SetThreadPriority(GetCurrentThread(), savedPriority_);
    }
    if (periodRaised_) {
        timeEndPeriod(1);
    }
}

void WindowsTransferPriority::raise() {
    if (tried_) {
        return;
    }
    tried_ = true;
    periodRaised_ = timeBeginPeriod(1) == TIMERR_NOERROR;
    savedPriority_ = GetThreadPriority(GetCurrentThread());
    priorityRaised_ = savedPriority_ != THREAD_PRIORITY_ERROR_RETURN &&
                      SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST) != 0;
}

} // namespace pavlune
