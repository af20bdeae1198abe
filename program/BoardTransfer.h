#pragma once

#include "catalogue/CatalogueView.h"
#include "device/PavluneCardSerialManager.h"
#include "program/FieldRows.h"
#include "program/PacedPortWriter.h"
#include "program/TransferClock.h"
#include "program/TransferFailure.h"
#include "program/TransferSchedule.h"

#include <atomic>
#include <functional>
#include <string>

namespace pavlune {

// The two conversations with the board, each run on a worker thread: sending
// the field's program (break, reset, then the program in the current
// dialect) and stopping it (break and reset only). Both open the selected
// port, carry out their TransferSchedule (byte by byte with the dialect's
// pauses, watching the user's stop request), and end by calling exactly one
// of their two callbacks, once.
//
// The dialect is the caller's: each routine is handed the CatalogueView it
// sends in, taken once when the user asked for it.
//
// Progress goes through `showText`, which receives each piece of text the
// sending overlay should add. It is called on the worker thread and must do
// no more than post the change to the main thread.
class BoardTransfer {
public:
    using ErrorCallback = std::function<void(TransferFailure)>;
    using DoneCallback = std::function<void()>;
    using TextSink = std::function<void(const std::string&)>;

    BoardTransfer(PavluneCardSerialManager& serial, TransferClock& clock,
                  const std::atomic<bool>& stopRequested, TextSink showText);

    // The send routine, in the dialect of `view`.
    void sendProgram(const CatalogueView& view, const FieldRows& rows, const ErrorCallback& onError,
                     const DoneCallback& onDone);

    // The stop routine: the break and reset sequences. A dialect that has
    // neither (que) cannot stop the board from here: the failure is
    // cannotStop (the caller says what to do instead), and the port is not touched.
    void stopProgram(const CatalogueView& view, const ErrorCallback& onError, const DoneCallback& onDone);

    // Writes `text` byte by byte on the open port, each byte followed by
    // `charDelay` ms (none when negative), echoing each character first when
    // `echo`. Stops after a byte that could not be written, or after the first
    // byte written once a stop was requested; then `error` says which.
    bool sendText(const std::string& text, int charDelay, bool echo, TransferFailure& error);

    // How a schedule carried out on the open port ended.
    enum class Outcome { finished, stopped, writeFailed };
    Outcome run(const TransferSchedule& schedule);

private:
    // The callback that `outcome` calls for.
    void report(Outcome outcome, const TransferSchedule& schedule, const ErrorCallback& onError,
                const DoneCallback& onDone) const;

    PavluneCardSerialManager& serial_;
    const std::atomic<bool>& stopRequested_;
    TextSink showText_;
    PacedPortWriter writer_;
};

} // namespace pavlune
