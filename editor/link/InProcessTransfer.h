#pragma once

#include "program/PolledTransfer.h"
#include "program/TransferSchedule.h"
#include "sim/BoardClock.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class InProcessBoard;

// A send or stop into the board in this process: the same TransferSchedule
// that a board on a port gets, carried out as the engine's clock reaches
// each step (a pause holds the rest back until its deadline), so nothing
// blocks and nothing runs on another thread. The line never fails, and a
// stop in que, which has no stop sequence, presses the board's reset button.
class InProcessTransfer : public pavlune::PolledTransfer {
public:
    InProcessTransfer(InProcessBoard& board, std::function<void(const std::string&)> showText);

    void startSend(const pavlune::CatalogueView& view, const pavlune::FieldRows& rows, ErrorCallback onError,
                   DoneCallback onDone) override;
    void startStop(const pavlune::CatalogueView& view, ErrorCallback onError, DoneCallback onDone) override;
    void requestStop() override { stopRequested_ = true; }
    bool poll() override;
    bool isRunning() const override { return running_; }

private:
    void start(pavlune::TransferSchedule schedule, ErrorCallback onError, DoneCallback onDone);
    void finish(bool stopped);

    InProcessBoard& board_;
    std::function<void(const std::string&)> showText_;
    pavlune::TransferSchedule schedule_;
    std::size_t next_ = 0;
    pavlune::BoardClock::TimePoint started_{};
    std::optional<pavlune::BoardClock::TimePoint> heldUntil_;
    bool stopRequested_ = false;
    bool running_ = false;
    ErrorCallback onError_;
    DoneCallback onDone_;
};
