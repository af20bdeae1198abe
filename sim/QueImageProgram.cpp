#include "sim/QueImageProgram.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"

#include <chrono>
#include <cstdio>

namespace pavlune {

namespace {

enum Opcode : std::uint8_t {
    kEmpty = 0x00,
    kLed = 0x01,
    kOut = 0x02,
    kPwm = 0x03,
    kWait = 0x04,
    kJump = 0x05,
    kSetBox = 0x09,
    kAddBox = 0x0A,
    kJumpIfBelow = 0x10,
    kBeep = 0x17,
};

constexpr int kLessThan = 2;

} // namespace

QueImageProgram::QueImageProgram(std::string image, BoardOutputs& outputs, BoardObserver& observer)
    : image_(std::move(image)),
      instructionSize_(static_cast<std::size_t>(CatalogueView(que, basic).getInstructionSize())),
      padByte_(CatalogueView(que, basic).getPadByte()), outputs_(outputs), observer_(observer) {}

int QueImageProgram::operand(std::size_t line, std::size_t offset) const {
    const std::size_t at = line * instructionSize_ + offset;
    const auto low = static_cast<std::uint8_t>(image_[at]);
    const auto high = static_cast<std::uint8_t>(image_[at + 1]);
    return low | (high << 8);
}

void QueImageProgram::complainOnce(std::size_t line, const std::string& what) {
    if (complained_.insert(line).second) {
        observer_.boardComplained("que: line " + std::to_string(line + 1) + ": " + what);
    }
}

BoardProgram::Step QueImageProgram::step() {
    const std::size_t line = line_++;
    if ((line + 1) * instructionSize_ > image_.size()) {
        return Step::end();
    }
    const auto opcode = static_cast<std::uint8_t>(image_[line * instructionSize_]);
    if (image_[line * instructionSize_] == padByte_) {
        return Step::end(); // the padding after the last instruction
    }
    runningAt(static_cast<int>(line));
    switch (opcode) {
    case kEmpty:
        break;
    case kLed:
        outputs_.setLed(operand(line, 2) != 0);
        break;
    case kOut:
        if (operand(line, 2) == 0) {
            outputs_.setOutputs(static_cast<unsigned>(operand(line, 4)));
        } else {
            outputs_.setOutput(operand(line, 2), operand(line, 4) != 0);
        }
        break;
    case kPwm:
        // Pulse widths in hundredths of a millisecond, as jam writes them.
        outputs_.setPwm(operand(line, 2), operand(line, 4) * 10);
        break;
    case kWait:
        return Step::waitFor(std::chrono::nanoseconds(operand(line, 2) * 1'000'000'000LL / 60));
    case kJump:
        line_ = static_cast<std::size_t>(operand(line, 2));
        break;
    case kSetBox:
        boxes_[static_cast<std::size_t>(operand(line, 2) & 0xFF)] = operand(line, 4);
        break;
    case kAddBox:
        boxes_[static_cast<std::size_t>(operand(line, 2) & 0xFF)] += operand(line, 6);
        break;
    case kJumpIfBelow:
        if (operand(line, 4) != kLessThan) {
            complainOnce(line, "unknown comparison " + std::to_string(operand(line, 4)));
        } else if (boxes_[0] < operand(line, 6)) {
            line_ = static_cast<std::size_t>(operand(line, 2));
        }
        break;
    case kBeep:
        outputs_.beep();
        break;
    default: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%02X", opcode);
        complainOnce(line, std::string("unknown instruction ") + hex);
        break;
    }
    }
    return Step::next();
}

} // namespace pavlune
