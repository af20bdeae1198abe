#pragma once

#include "device/PortOpenError.h"
#include "device/PortWriteError.h"

#include <utility>

namespace pavlune {

// Why a send or stop routine ended without finishing, handed to its error
// callback and copied by value from the worker to the main thread. It says
// what happened, with the system's reason where there is one; the screen or
// the tool that started the routine chooses the words and what to do.
struct TransferFailure {
    enum class Kind {
        portNotOpened, // the selected port could not be opened: `port` says why
        writeFailed,   // a byte could not be written to the open port: `write` says why
        cannotStop,    // the dialect has no sequence that stops a running program (que)
        stopped,       // the user asked for the stop; nothing went wrong
    };

    Kind kind = Kind::stopped;
    PortOpenError port;   // portNotOpened only
    PortWriteError write; // writeFailed only

    TransferFailure() = default;
    TransferFailure(Kind what, PortOpenError openError) : kind(what), port(std::move(openError)) {}
    // A byte not written, and why.
    explicit TransferFailure(PortWriteError writeError)
        : kind(Kind::writeFailed), write(std::move(writeError)) {}

    bool operator==(const TransferFailure&) const = default;
};

} // namespace pavlune
