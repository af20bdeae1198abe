#include "export/SerialExport.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "device/PavluneCardSerialManager.h"
#include "export/TextEscaping.h"
#include "program/BoardTransfer.h"
#include "program/SteadyTransferClock.h"

#include <atomic>
#include <ostream>
#include <utility>

namespace pavlune {

SerialExport::SerialExport(std::ostream& output, std::ostream& errors)
    : SerialExport(*PavluneCardSerialManager::getInstance(), output, errors) {}

SerialExport::SerialExport(PavluneCardSerialManager& serial, std::ostream& output, std::ostream& errors,
                           TransferClock* clock)
    : serial_(serial), output_(output), errors_(errors),
      ownClock_(clock ? nullptr : std::make_unique<SteadyTransferClock>()),
      clock_(clock ? *clock : *ownClock_) {}

SerialExport::~SerialExport() = default;

void SerialExport::selectDevice(const std::string& device) {
    // A pseudo-terminal or an unusual device is not among the ports a search
    // finds, so the named device becomes the list.
    serial_.init();
    serial_.addPort(device, "pavlune-export");
    serial_.setSelectedIndex(0);
}

int SerialExport::finish(bool done, const std::string& reason) {
    output_.flush();
    if (done) {
        return kExitDone;
    }
    errors_ << reason << '\n';
    return kExitFailed;
}

std::string SerialExport::reasonFor(const std::string& device, const TransferFailure& failure) {
    const std::string onDevice = "pavlune-export: " + escapeText(device) + ": ";
    switch (failure.kind) {
    case TransferFailure::Kind::portNotOpened:
        return onDevice + failure.port.describe();
    case TransferFailure::Kind::writeFailed:
        return onDevice + "a byte could not be written: " + failure.write.describe();
    case TransferFailure::Kind::cannotStop:
        return "pavlune-export: this dialect has no sequence that stops a running program; press the board's "
               "reset button";
    case TransferFailure::Kind::stopped:
        break;
    }
    return onDevice + "stopped";
}

int SerialExport::send(const std::string& device, Dialect dialect, const FieldRows& rows) {
    selectDevice(device);
    const std::atomic<bool> stopRequested{false}; // nothing in the tool asks for a stop
    BoardTransfer transfer(serial_, clock_, stopRequested, [this](const std::string& text) {
        output_ << text;
        output_.flush();
    });
    bool done = false;
    TransferFailure failure;
    transfer.sendProgram(
        CatalogueView(dialect, basic), rows, [&](TransferFailure error) { failure = std::move(error); },
        [&] { done = true; });
    return finish(done, reasonFor(device, failure));
}

int SerialExport::stop(const std::string& device, Dialect dialect) {
    selectDevice(device);
    const std::atomic<bool> stopRequested{false};
    BoardTransfer transfer(serial_, clock_, stopRequested, nullptr);
    bool done = false;
    TransferFailure failure;
    transfer.stopProgram(
        CatalogueView(dialect, basic), [&](TransferFailure error) { failure = std::move(error); },
        [&] { done = true; });
    return finish(done, reasonFor(device, failure));
}

int SerialExport::listPorts() {
    if (!serial_.searchPorts([](bool) {})) {
        return finish(false, "pavlune-export: the serial ports could not be listed");
    }
    for (const SerialPortInfo& port : serial_.getPorts()) {
        output_ << port.displayText() << '\n';
    }
    return finish(true);
}

} // namespace pavlune
