#include "program/BoardTransfer.h"

#include <optional>
#include <string>
#include <utility>

namespace pavlune {

BoardTransfer::BoardTransfer(PavluneCardSerialManager& serial, TransferClock& clock,
                             const std::atomic<bool>& stopRequested, TextSink showText)
    : serial_(serial), stopRequested_(stopRequested), showText_(std::move(showText)),
      writer_([&serial](std::uint8_t byte) { return serial.writeByte(byte); }, clock) {}

void BoardTransfer::sendProgram(const CatalogueView& view, const FieldRows& rows,
                                const ErrorCallback& onError, const DoneCallback& onDone) {
    const TransferSchedule schedule = TransferSchedule::forSend(view, rows);
    if (!serial_.openSelectedPort()) {
        onError({TransferFailure::Kind::portNotOpened, serial_.getLastOpenError()});
        return;
    }
    report(run(schedule), schedule, onError, onDone);
}

void BoardTransfer::stopProgram(const CatalogueView& view, const ErrorCallback& onError,
                                const DoneCallback& onDone) {
    const std::optional<TransferSchedule> schedule = TransferSchedule::forStop(view);
    if (!schedule) {
        // Nothing the board listens to would stop it: say so, and send nothing.
        onError({TransferFailure::Kind::cannotStop, {}});
        return;
    }
    if (!serial_.openSelectedPort()) {
        onError({TransferFailure::Kind::portNotOpened, serial_.getLastOpenError()});
        return;
    }
    report(run(*schedule), *schedule, onError, onDone);
}

bool BoardTransfer::sendText(const std::string& text, int charDelay, bool echo, TransferFailure& error) {
    TransferSchedule schedule;
    schedule.addText(text, charDelay, echo);
    switch (run(schedule)) {
    case Outcome::finished:
        return true;
    case Outcome::stopped:
        error = {TransferFailure::Kind::stopped, {}}; // the byte just written stays sent
        return false;
    case Outcome::writeFailed:
        error = TransferFailure(serial_.getLastWriteError());
        return false;
    }
    return false;
}

BoardTransfer::Outcome BoardTransfer::run(const TransferSchedule& schedule) {
    writer_.restart();
    for (const TransferStep& step : schedule.steps()) {
        switch (step.kind) {
        case TransferStep::Kind::write:
            if (!writer_.write(step.byte)) {
                return Outcome::writeFailed;
            }
            break;
        case TransferStep::Kind::pause:
            writer_.pause(step.milliseconds);
            break;
        case TransferStep::Kind::echo:
            if (showText_) {
                showText_(step.text);
            }
            break;
        case TransferStep::Kind::stopCheck:
            if (stopRequested_.load()) {
                return Outcome::stopped;
            }
            break;
        }
    }
    return Outcome::finished;
}

void BoardTransfer::report(Outcome outcome, const TransferSchedule& schedule, const ErrorCallback& onError,
                           const DoneCallback& onDone) const {
    switch (outcome) {
    case Outcome::finished:
        onDone();
        return;
    case Outcome::stopped:
        // A stopped que send is quiet and complete as far as the user goes;
        // a lost byte ends it with the port error, since the board would
        // wait for an image that never completes (or run a shifted one).
        if (schedule.stopEndsAsDone()) {
            onDone();
        } else {
            onError({TransferFailure::Kind::stopped, {}});
        }
        return;
    case Outcome::writeFailed:
        onError(TransferFailure(serial_.getLastWriteError()));
        return;
    }
}

} // namespace pavlune
