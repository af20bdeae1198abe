#pragma once

#include "catalogue/CatalogueView.h"
#include "device/PavluneCardSerialManager.h"
#include "device/web/SerialPage.h"
#include "program/FieldRows.h"
#include "program/PolledTransfer.h"
#include "program/TransferFailure.h"
#include "program/TransferSchedule.h"

#include <functional>
#include <memory>
#include <string>

namespace pavlune {

// The send and stop routines of a browser build. The page carries out the
// same TransferSchedule as the desktop's BoardTransfer, paced in JavaScript,
// while the program keeps drawing; poll() once a frame shows the echo that
// went out since the frame before and, at the end, calls exactly one of the
// two callbacks, once, with the desktop's errors.
//
//   WebBoardTransfer transfer(serial, page, [](const std::string& text) { /* append to the overlay */ });
//   transfer.startSend(view, rows, onError, onDone);
//   ... every frame: if (!transfer.poll()) { /* ended */ }
class WebBoardTransfer : public PolledTransfer {
public:
    using TextSink = std::function<void(const std::string&)>;

    WebBoardTransfer(PavluneCardSerialManager& serial, std::shared_ptr<SerialPage> page, TextSink showText);

    // Break, reset and the program, on the selected port. A port that is not
    // there any more ends it at once (the error callback, from here).
    void startSend(const CatalogueView& view, const FieldRows& rows, ErrorCallback onError,
                   DoneCallback onDone) override;
    // Break and reset; in que, which has none, the error says to press the
    // board's reset button and nothing is started.
    void startStop(const CatalogueView& view, ErrorCallback onError, DoneCallback onDone) override;

    // The page ends the transfer at its next stop check.
    void requestStop() override;
    // True while the transfer runs.
    bool poll() override;
    bool isRunning() const override { return id_ >= 0; }

private:
    void start(const TransferSchedule& schedule, ErrorCallback onError, DoneCallback onDone);
    void showEchoUpTo(int position);
    void finish(const SerialPage::Transfer& state);

    PavluneCardSerialManager& serial_;
    std::shared_ptr<SerialPage> page_;
    TextSink showText_;
    TransferSchedule schedule_;
    std::string portName_; // for the log
    ErrorCallback onError_;
    DoneCallback onDone_;
    int id_ = -1;
    int shown_ = 0; // steps whose echo has been shown
};

} // namespace pavlune
