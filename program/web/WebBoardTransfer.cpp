#include "program/web/WebBoardTransfer.h"

#include "device/web/WebSerialBackend.h"
#include "engine/base/Log.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

namespace pavlune {

namespace {

PortOpenError::Kind openFailureKind(const std::string& kind) {
    if (kind == "busy") {
        return PortOpenError::Kind::busy;
    }
    if (kind == "noSuchDevice") {
        return PortOpenError::Kind::noSuchDevice;
    }
    if (kind == "permissionDenied") {
        return PortOpenError::Kind::permissionDenied;
    }
    if (kind == "blocked") {
        return PortOpenError::Kind::blocked;
    }
    return PortOpenError::Kind::other;
}

// The page's reason for a failed write: "deadline" with the milliseconds it
// waited, "deviceGone" or "other" with the browser's words.
PortWriteError writeFailure(const std::string& kind, const std::string& reason) {
    if (kind == "deadline") {
        return PortWriteError::deadlinePassed(std::chrono::milliseconds(std::atoi(reason.c_str())));
    }
    return {
        kind == "deviceGone" ? PortWriteError::Kind::deviceGone : PortWriteError::Kind::other, reason, {}};
}

} // namespace

WebBoardTransfer::WebBoardTransfer(PavluneCardSerialManager& serial, std::shared_ptr<SerialPage> page,
                                   TextSink showText)
    : serial_(serial), page_(std::move(page)), showText_(std::move(showText)) {}

void WebBoardTransfer::startSend(const CatalogueView& view, const FieldRows& rows, ErrorCallback onError,
                                 DoneCallback onDone) {
    start(TransferSchedule::forSend(view, rows), std::move(onError), std::move(onDone));
}

void WebBoardTransfer::startStop(const CatalogueView& view, ErrorCallback onError, DoneCallback onDone) {
    const std::optional<TransferSchedule> schedule = TransferSchedule::forStop(view);
    if (!schedule) {
        onError({TransferFailure::Kind::cannotStop, {}});
        return;
    }
    start(*schedule, std::move(onError), std::move(onDone));
}

void WebBoardTransfer::start(const TransferSchedule& schedule, ErrorCallback onError, DoneCallback onDone) {
    // The manager checks that the chosen port is still listed and allowed,
    // and says why not in the desktop's words.
    if (!serial_.openSelectedPort()) {
        onError({TransferFailure::Kind::portNotOpened, serial_.getLastOpenError()});
        return;
    }
    const std::optional<SerialPortInfo> selected = serial_.getSelectedPort();
    const std::vector<std::string> names = WebSerialBackend::portNames(page_->ports());
    const auto it = selected ? std::find(names.begin(), names.end(), selected->name) : names.end();
    if (it == names.end()) {
        onError({TransferFailure::Kind::portNotOpened, {PortOpenError::Kind::noSuchDevice, ""}});
        return;
    }
    schedule_ = schedule;
    portName_ = *it;
    onError_ = std::move(onError);
    onDone_ = std::move(onDone);
    shown_ = 0;
    id_ = page_->startTransfer(static_cast<int>(it - names.begin()), schedule_.toJson());
}

void WebBoardTransfer::requestStop() {
    if (id_ >= 0) {
        page_->stopTransfer(id_);
    }
}

bool WebBoardTransfer::poll() {
    if (id_ < 0) {
        return false;
    }
    const SerialPage::Transfer state = page_->pollTransfer(id_);
    showEchoUpTo(state.position);
    if (state.state == SerialPage::Transfer::State::running) {
        return true;
    }
    id_ = -1;
    finish(state);
    return false;
}

void WebBoardTransfer::showEchoUpTo(int position) {
    const std::vector<TransferStep>& steps = schedule_.steps();
    const int end = std::min(position, static_cast<int>(steps.size()));
    for (; shown_ < end; ++shown_) {
        const TransferStep& step = steps[static_cast<std::size_t>(shown_)];
        if (step.kind == TransferStep::Kind::echo && showText_) {
            showText_(step.text);
        }
    }
}

void WebBoardTransfer::finish(const SerialPage::Transfer& state) {
    // Taken out first: a callback may start the next transfer on this object.
    ErrorCallback onError = std::move(onError_);
    DoneCallback onDone = std::move(onDone_);
    switch (state.state) {
    case SerialPage::Transfer::State::done:
        onDone();
        return;
    case SerialPage::Transfer::State::stopped:
        if (schedule_.stopEndsAsDone()) {
            onDone();
        } else {
            onError({TransferFailure::Kind::stopped, {}});
        }
        return;
    case SerialPage::Transfer::State::openFailed: {
        // The page opened the port, so the desktop manager's log line is said here.
        const PortOpenError error{openFailureKind(state.kind), state.reason};
        engine::Log::warning("device", portName_ + ": cannot open: " + error.describe());
        onError({TransferFailure::Kind::portNotOpened, error});
        return;
    }
    case SerialPage::Transfer::State::writeFailed:
    case SerialPage::Transfer::State::running:
    case SerialPage::Transfer::State::unknown: {
        // A transfer the page no longer knows has lost its port with it.
        const PortWriteError error = state.state == SerialPage::Transfer::State::writeFailed
                                         ? writeFailure(state.kind, state.reason)
                                         : PortWriteError{PortWriteError::Kind::deviceGone,
                                                          "the page no longer knows the transfer",
                                                          {}};
        engine::Log::warning("device", portName_ + ": a byte was not written: " + error.describe());
        onError(TransferFailure(error));
        return;
    }
    }
}

} // namespace pavlune
