#include "sim/ProgramSlot.h"

namespace pavlune {

ProgramSlot::ProgramSlot(const BoardClock& clock, BoardOutputs& outputs) : clock_(clock), outputs_(outputs) {}

void ProgramSlot::start(std::unique_ptr<BoardProgram> program, bool visible) {
    stop();
    program_ = std::move(program);
    visible_ = visible;
    if (visible_) {
        outputs_.report({.kind = BoardChange::Kind::run});
    }
    program_->start(clock_.now());
    advance();
}

void ProgramSlot::stop() {
    if (!program_) {
        return;
    }
    program_.reset();
    if (visible_) {
        outputs_.report({.kind = BoardChange::Kind::stop});
    }
}

void ProgramSlot::reset() {
    stop();
    outputs_.switchOff();
}

std::optional<int> ProgramSlot::runningLine() const {
    return program_ && visible_ ? program_->runningLine() : std::nullopt;
}

std::optional<BoardClock::TimePoint> ProgramSlot::advance() {
    if (!program_) {
        return std::nullopt;
    }
    const auto next = program_->advance(clock_.now());
    if (!next) {
        program_.reset();
        if (visible_) {
            outputs_.report({.kind = BoardChange::Kind::end});
        }
    }
    return next;
}

} // namespace pavlune
