#include "editor/link/InProcessTransfer.h"

#include "editor/link/InProcessBoard.h"

#include <chrono>
#include <utility>

InProcessTransfer::InProcessTransfer(InProcessBoard& board, std::function<void(const std::string&)> showText)
    : board_(board), showText_(std::move(showText)) {}

void InProcessTransfer::startSend(const pavlune::CatalogueView& view, const pavlune::FieldRows& rows,
                                  ErrorCallback onError, DoneCallback onDone) {
    board_.expectProgram(view, rows);
    start(pavlune::TransferSchedule::forSend(view, rows), std::move(onError), std::move(onDone));
}

void InProcessTransfer::startStop(const pavlune::CatalogueView& view, ErrorCallback onError,
                                  DoneCallback onDone) {
    std::optional<pavlune::TransferSchedule> schedule = pavlune::TransferSchedule::forStop(view);
    if (!schedule) {
        // Nothing on the line stops a que board; this one's reset button is at hand.
        board_.pressReset();
        onDone();
        return;
    }
    start(std::move(*schedule), std::move(onError), std::move(onDone));
}

void InProcessTransfer::start(pavlune::TransferSchedule schedule, ErrorCallback onError,
                              DoneCallback onDone) {
    schedule_ = std::move(schedule);
    onError_ = std::move(onError);
    onDone_ = std::move(onDone);
    next_ = 0;
    heldUntil_.reset();
    stopRequested_ = false;
    started_ = board_.now();
    running_ = true;
    poll();
}

bool InProcessTransfer::poll() {
    if (!running_) {
        return false;
    }
    const auto now = board_.now();
    const auto& steps = schedule_.steps();
    while (next_ < steps.size()) {
        // A stop asked for during a pause need not wait for its end.
        if (heldUntil_ && now < *heldUntil_ && !stopRequested_) {
            return true;
        }
        heldUntil_.reset();
        const pavlune::TransferStep& step = steps[next_++];
        switch (step.kind) {
        case pavlune::TransferStep::Kind::write:
            board_.receive(static_cast<char>(step.byte));
            break;
        case pavlune::TransferStep::Kind::pause:
            if (step.milliseconds >= 0) {
                heldUntil_ = started_ + std::chrono::microseconds(step.dueMicroseconds);
            }
            break;
        case pavlune::TransferStep::Kind::echo:
            if (showText_) {
                showText_(step.text);
            }
            break;
        case pavlune::TransferStep::Kind::stopCheck:
            if (stopRequested_) {
                finish(true);
                return false;
            }
            break;
        }
    }
    finish(false);
    return false;
}

void InProcessTransfer::finish(bool stopped) {
    running_ = false;
    // Taken out first: a callback may start the next transfer.
    ErrorCallback onError = std::move(onError_);
    DoneCallback onDone = std::move(onDone_);
    if (stopped && !schedule_.stopEndsAsDone()) {
        onError({pavlune::TransferFailure::Kind::stopped, {}});
    } else {
        onDone();
    }
}
