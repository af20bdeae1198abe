#pragma once

#include "catalogue/Dialect.h"
#include "program/FieldRows.h"
#include "program/TransferFailure.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace pavlune {

class PavluneCardSerialManager;
class TransferClock;

// The serial actions of pavlune-export: sending a field program to a device,
// stopping the board's program, listing the ports. They run the editor's own
// send and stop routines on the process-wide serial manager, with the real
// clock, on the calling thread.
class SerialExport {
public:
    static constexpr int kExitDone = 0;
    static constexpr int kExitFailed = 1;

    SerialExport(std::ostream& output, std::ostream& errors);
    // On a manager and clock of the caller's (tests); the defaults are the
    // process-wide manager and the real clock.
    SerialExport(PavluneCardSerialManager& serial, std::ostream& output, std::ostream& errors,
                 TransferClock* clock = nullptr);
    ~SerialExport();

    // Sends `rows` in `dialect` to `device`, printing the echoed characters as
    // they go out, as the sending overlay shows them. 0 when the routine
    // reports done; 1 otherwise, with one line on standard error that says
    // why in English (the system's reason when the device did not open).
    // Only a terminal device is written to.
    int send(const std::string& device, Dialect dialect, const FieldRows& rows);
    // The stop routine on `device`; results as for send.
    int stop(const std::string& device, Dialect dialect);
    // One line per port that a search finds: the active mark, name and description.
    int listPorts();

private:
    // Makes `device` the one listed and selected port.
    void selectDevice(const std::string& device);
    int finish(bool done, const std::string& reason = "");
    // The line that says why the routine on `device` did not finish.
    static std::string reasonFor(const std::string& device, const TransferFailure& failure);

    PavluneCardSerialManager& serial_;
    std::ostream& output_;
    std::ostream& errors_;
    std::unique_ptr<TransferClock> ownClock_;
    TransferClock& clock_;
};

} // namespace pavlune
