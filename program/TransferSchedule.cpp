#include "program/TransferSchedule.h"

#include "program/PacedPortWriter.h"
#include "program/QueProgramAssembler.h"
#include "program/TextTransferAssembler.h"

#include <chrono>
#include <utility>

namespace pavlune {

TransferSchedule TransferSchedule::forSend(const CatalogueView& view, const FieldRows& rows) {
    TransferSchedule schedule;
    if (!view.isByteCoded()) {
        TextTransferAssembler assembler(view);
        for (const SendUnit& unit : assembler.assembleTextTransfer(rows)) {
            schedule.addText(unit.text, unit.charDelay, unit.echo);
        }
        return schedule;
    }
    // Each byte waits its pause first; a stop is honoured between rows and
    // during the padding, never inside an instruction.
    schedule.stopEndsAsDone_ = true;
    const int pacing = view.getCharPacing();
    QueProgramAssembler assembler(view);
    const QueProgram program = assembler.assembleQueProgram(rows);
    long long written = 0;
    for (const std::vector<QueGroup>& rowGroups : program.rows) {
        for (const QueGroup& group : rowGroups) {
            for (const std::uint8_t byte : group.bytes) {
                schedule.addPause(pacing);
                schedule.addWrite(byte);
                ++written;
            }
            std::string lines;
            for (const std::string& line : group.displayLines) {
                lines += line;
                lines += '\n';
            }
            schedule.addEcho(lines);
        }
        schedule.addStopCheck();
    }
    for (; written < program.programImageSize; ++written) {
        schedule.addStopCheck();
        schedule.addPause(pacing);
        schedule.addWrite(static_cast<std::uint8_t>(program.padByte));
    }
    return schedule;
}

std::optional<TransferSchedule> TransferSchedule::forStop(const CatalogueView& view) {
    const CardCode breakCode = view.getBreakCode();
    const CardCode resetCode = view.getResetCode();
    if (breakCode.code.empty() && resetCode.code.empty()) {
        return std::nullopt;
    }
    // The reset record's own pause is used here (none), unlike in a send,
    // which paces it like program text.
    TransferSchedule schedule;
    schedule.addText(breakCode.code, breakCode.charDelay, false);
    schedule.addText(resetCode.code, resetCode.charDelay, false);
    return schedule;
}

void TransferSchedule::addText(const std::string& text, int charDelay, bool echo) {
    for (const char character : text) {
        if (echo) {
            addEcho(std::string(1, character));
        }
        addWrite(static_cast<std::uint8_t>(character));
        addStopCheck(); // the byte just written stays sent
        addPause(charDelay);
    }
}

void TransferSchedule::addPause(int milliseconds) {
    if (milliseconds < 0) {
        return;
    }
    pausedMilliseconds_ += milliseconds;
    const auto due =
        std::chrono::milliseconds(pausedMilliseconds_) + PacedPortWriter::lineTime(bytesWritten_);
    // Rounded up: a pacer that waits for it is never early.
    const auto micros = std::chrono::ceil<std::chrono::microseconds>(due);
    TransferStep step;
    step.kind = TransferStep::Kind::pause;
    step.milliseconds = milliseconds;
    step.dueMicroseconds = micros.count();
    steps_.push_back(step);
}

void TransferSchedule::addWrite(std::uint8_t byte) {
    TransferStep step;
    step.kind = TransferStep::Kind::write;
    step.byte = byte;
    steps_.push_back(step);
    ++bytesWritten_;
}

void TransferSchedule::addEcho(const std::string& text) {
    TransferStep step;
    step.kind = TransferStep::Kind::echo;
    step.text = text;
    steps_.push_back(std::move(step));
}

void TransferSchedule::addStopCheck() {
    TransferStep step;
    step.kind = TransferStep::Kind::stopCheck;
    steps_.push_back(step);
}

std::string TransferSchedule::bytes() const {
    std::string all;
    for (const TransferStep& step : steps_) {
        if (step.kind == TransferStep::Kind::write) {
            all.push_back(static_cast<char>(step.byte));
        }
    }
    return all;
}

std::string TransferSchedule::toJson() const {
    std::string json = "{\"steps\":[";
    bool first = true;
    for (const TransferStep& step : steps_) {
        if (!first) {
            json += ',';
        }
        first = false;
        switch (step.kind) {
        case TransferStep::Kind::write:
            json += "[0," + std::to_string(step.byte) + "]";
            break;
        case TransferStep::Kind::pause:
            json +=
                "[1," + std::to_string(step.milliseconds) + "," + std::to_string(step.dueMicroseconds) + "]";
            break;
        case TransferStep::Kind::echo:
            json += "[2]";
            break;
        case TransferStep::Kind::stopCheck:
            json += "[3]";
            break;
        }
    }
    json += "]}";
    return json;
}

} // namespace pavlune
