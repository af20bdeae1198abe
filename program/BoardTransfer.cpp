#include "program/BoardTransfer.h"

#include "catalogue/DeviceManager.h"
#include "program/QueProgramAssembler.h"
#include "program/TextTransferAssembler.h"

#include <utility>

namespace pavlune {

BoardTransfer::BoardTransfer(PavluneCardSerialManager& serial, TransferClock& clock,
                             const std::atomic<bool>& stopRequested, TextSink showText)
    : serial_(serial), stopRequested_(stopRequested), showText_(std::move(showText)),
      writer_([&serial](std::uint8_t byte) { return serial.writeByte(byte); }, clock) {}

void BoardTransfer::sendProgram(const FieldRows& rows, const ErrorCallback& onError,
                                const DoneCallback& onDone) {
    sendProgram(DeviceManager::getInstance()->getView(), rows, onError, onDone);
}

void BoardTransfer::sendProgram(const CatalogueView& view, const FieldRows& rows,
                                const ErrorCallback& onError, const DoneCallback& onDone) {
    if (!serial_.openSelectedPort()) {
        onError({TransferFailure::Kind::portNotOpened, serial_.getLastOpenError()});
        return;
    }
    writer_.restart();
    TransferFailure error;
    if (view.isByteCoded()) {
        // A stop request ends a que send quietly, without the padding; a
        // lost byte ends it with the port error, since the board would wait
        // for an image that never completes (or run a shifted one).
        if (!sendQueTransfer(view, rows, error) && error.kind != TransferFailure::Kind::stopped) {
            onError(error);
            return;
        }
        onDone();
        return;
    }
    if (!sendTextTransfer(view, rows, error)) {
        onError(error);
        return;
    }
    onDone();
}

void BoardTransfer::stopProgram(const ErrorCallback& onError, const DoneCallback& onDone) {
    stopProgram(DeviceManager::getInstance()->getView(), onError, onDone);
}

void BoardTransfer::stopProgram(const CatalogueView& view, const ErrorCallback& onError,
                                const DoneCallback& onDone) {
    const CardCode breakCode = view.getBreakCode();
    const CardCode resetCode = view.getResetCode();
    if (breakCode.code.empty() && resetCode.code.empty()) {
        // Nothing the board listens to would stop it: say so, and send nothing.
        onError({TransferFailure::Kind::cannotStop, {}});
        return;
    }
    if (!serial_.openSelectedPort()) {
        onError({TransferFailure::Kind::portNotOpened, serial_.getLastOpenError()});
        return;
    }
    writer_.restart();
    // The reset record's own pause is used here (none), unlike in a send,
    // which paces it like program text.
    TransferFailure error;
    if (!sendText(breakCode.code, breakCode.charDelay, false, error) ||
        !sendText(resetCode.code, resetCode.charDelay, false, error)) {
        onError(error);
        return;
    }
    onDone();
}

bool BoardTransfer::sendText(const std::string& text, int charDelay, bool echo, TransferFailure& error) {
    for (const char character : text) {
        if (echo && showText_) {
            showText_(std::string(1, character));
        }
        if (!writer_.write(static_cast<std::uint8_t>(character))) {
            error = TransferFailure{TransferFailure::Kind::writeFailed, {}};
            return false;
        }
        if (stopRequested_.load()) {
            error = TransferFailure{TransferFailure::Kind::stopped, {}}; // the byte just written stays sent
            return false;
        }
        writer_.pause(charDelay);
    }
    return true;
}

bool BoardTransfer::sendTextTransfer(const CatalogueView& view, const FieldRows& rows,
                                     TransferFailure& error) {
    TextTransferAssembler assembler(view);
    for (const SendUnit& unit : assembler.assembleTextTransfer(rows)) {
        if (!sendText(unit.text, unit.charDelay, unit.echo, error)) {
            return false;
        }
    }
    return true;
}

bool BoardTransfer::sendQueTransfer(const CatalogueView& view, const FieldRows& rows,
                                    TransferFailure& error) {
    const int pacing = view.getCharPacing();
    QueProgramAssembler assembler(view);
    const QueProgram program = assembler.assembleQueProgram(rows);
    const auto writeOne = [this, pacing, &error](std::uint8_t byte) {
        writer_.pause(pacing);
        if (!writer_.write(byte)) {
            error = TransferFailure{TransferFailure::Kind::writeFailed, {}};
            return false;
        }
        return true;
    };
    long long written = 0;
    for (const std::vector<QueGroup>& rowGroups : program.rows) {
        for (const QueGroup& group : rowGroups) {
            for (const std::uint8_t byte : group.bytes) {
                if (!writeOne(byte)) {
                    return false;
                }
                ++written;
            }
            showQueGroup(group);
        }
        if (stopRequested_.load()) {
            error = TransferFailure{TransferFailure::Kind::stopped, {}};
            return false;
        }
    }
    while (written < program.programImageSize) {
        if (stopRequested_.load()) {
            error = TransferFailure{TransferFailure::Kind::stopped, {}};
            return false;
        }
        if (!writeOne(static_cast<std::uint8_t>(program.padByte))) {
            return false;
        }
        ++written;
    }
    return true;
}

void BoardTransfer::showQueGroup(const QueGroup& group) {
    if (!showText_) {
        return;
    }
    std::string lines;
    for (const std::string& line : group.displayLines) {
        lines += line;
        lines += '\n';
    }
    showText_(lines);
}

} // namespace pavlune
