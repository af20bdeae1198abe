#pragma once

#include "catalogue/CatalogueView.h"
#include "program/FieldRows.h"
#include "program/TransferFailure.h"

#include <functional>

namespace pavlune {

// A send or stop carried out on the main thread while the program keeps
// drawing: poll() once a frame moves it on and, at its end, calls exactly one
// of the two callbacks, once.
class PolledTransfer {
public:
    using ErrorCallback = std::function<void(TransferFailure)>;
    using DoneCallback = std::function<void()>;

    virtual ~PolledTransfer() = default;

    // Break, reset and the program.
    virtual void startSend(const CatalogueView& view, const FieldRows& rows, ErrorCallback onError,
                           DoneCallback onDone) = 0;
    // Break and reset; in que, which has none, the error says to press the
    // board's reset button and nothing is started.
    virtual void startStop(const CatalogueView& view, ErrorCallback onError, DoneCallback onDone) = 0;
    // The transfer ends at its next stop check.
    virtual void requestStop() = 0;
    // True while the transfer runs.
    virtual bool poll() = 0;
    virtual bool isRunning() const = 0;
};

} // namespace pavlune
