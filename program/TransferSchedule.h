#pragma once

#include "catalogue/CatalogueView.h"
#include "program/FieldRows.h"
#include "program/TransferStep.h"

#include <optional>
#include <string>
#include <vector>

namespace pavlune {

// Everything a send or a stop does on the line, worked out before the port
// is opened: the bytes, the pauses with their deadlines, what the overlay
// shows and where a stop request is honoured. The desktop's send routine and
// the browser's pacer both carry out this list, so the two cannot send
// different bytes.
//
//   const TransferSchedule schedule = TransferSchedule::forSend(view, rows);
//   for (const TransferStep& step : schedule.steps()) ...
class TransferSchedule {
public:
    // Break, reset, then the program in the dialect of `view`.
    static TransferSchedule forSend(const CatalogueView& view, const FieldRows& rows);
    // Break and reset only; none when the dialect has neither (que).
    static std::optional<TransferSchedule> forStop(const CatalogueView& view);

    // Each byte of `text`: shown first when `echo`, written, a stop check,
    // then `charDelay` ms (none when negative).
    void addText(const std::string& text, int charDelay, bool echo);
    // A pause of `milliseconds` (none when negative) after the last write.
    void addPause(int milliseconds);
    void addWrite(std::uint8_t byte);
    void addEcho(const std::string& text);
    void addStopCheck();

    const std::vector<TransferStep>& steps() const { return steps_; }
    // A stop request ends the transfer as finished rather than as stopped:
    // a que send, whose board simply runs what it got.
    bool stopEndsAsDone() const { return stopEndsAsDone_; }
    // Every byte written, in order.
    std::string bytes() const;

    // The steps for the browser's pacer, as JSON: {"steps":[...]} with
    // [0,byte] a write, [1,ms,dueMicroseconds] a pause, [2] an echo (the
    // overlay text stays here; the pacer reports how far it got) and [3] a
    // stop check.
    std::string toJson() const;

private:
    std::vector<TransferStep> steps_;
    bool stopEndsAsDone_ = false;
    long long pausedMilliseconds_ = 0;
    long long bytesWritten_ = 0;
};

} // namespace pavlune
