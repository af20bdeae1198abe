#pragma once

// A simulated board on a virtual clock, fed as the send routine feeds it,
// and what it did as trace lines.
#include "catalogue/CatalogueView.h"
#include "program/QueProgramAssembler.h"
#include "program/TextTransferAssembler.h"
#include "sim/BoardSimulator.h"
#include "sim/LineReport.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace pavlune::test {

// A que instruction: its opcode and three little-endian 16-bit operands.
inline std::string instruction(std::uint8_t opcode, int first = 0, int second = 0, int third = 0) {
    std::string bytes{static_cast<char>(opcode), '\0'};
    for (const int operand : {first, second, third}) {
        bytes += static_cast<char>(operand & 0xFF);
        bytes += static_cast<char>(operand >> 8);
    }
    return bytes;
}

// A whole 512-byte que program image, padded with 0xFF.
inline std::string queImage(std::initializer_list<std::string> instructions) {
    std::string image;
    for (const std::string& one : instructions) {
        image += one;
    }
    return image + std::string(512 - image.size(), '\xFF');
}

// Records the changes as trace lines with the time since RUN, and the complaints.
class Recorder : public BoardObserver {
public:
    void boardChanged(const BoardChange& change) override {
        if (change.kind == BoardChange::Kind::run) {
            run_ = change.at;
        }
        char time[32];
        std::snprintf(time, sizeof time, "%.3f ", std::chrono::duration<double>(change.at - run_).count());
        lines.push_back(time + change.describe());
        if (reports) {
            reports->changed(change);
        }
    }
    void boardComplained(const std::string& message) override { complaints.push_back(message); }

    std::vector<std::string> lines;
    std::vector<std::string> complaints;
    LineReport* reports = nullptr; // told as the simulator's loop tells it

private:
    BoardClock::TimePoint run_{};
};

struct Bench {
    void feed(const std::string& bytes) {
        for (const char byte : bytes) {
            board.receive(byte);
        }
    }
    // Everything the send routine writes for `rows`, all at once.
    void send(Dialect dialect, const FieldRows& rows) {
        const CatalogueView view(dialect, basic);
        if (view.isByteCoded()) {
            feed(QueProgramAssembler(view).assembleQueProgram(rows).image());
            return;
        }
        for (const SendUnit& unit : TextTransferAssembler(view).assembleTextTransfer(rows)) {
            feed(unit.text);
        }
    }
    // Gives the board every turn it asks for until `until` after now, each
    // `late` after the moment it asked for (a busy machine).
    void runFor(BoardClock::Duration until, BoardClock::Duration late = {}) {
        const auto end = clock.now() + until;
        // A loop that never waits would hold the board forever: a failure, not a hang.
        int turns = 0;
        for (auto next = turn(); next && *next <= end; next = turn()) {
            if (++turns > kMostTurns) {
                ADD_FAILURE() << "the board took more than " << kMostTurns << " turns";
                break;
            }
            clock.set(std::max(*next + late, clock.now()));
        }
        clock.set(std::max(end, clock.now()));
    }

    std::optional<BoardClock::TimePoint> turn() {
        const auto next = board.advance();
        if (recorder.reports) {
            recorder.reports->update(board.runningLine());
        }
        return next;
    }

    static constexpr int kMostTurns = 100'000;
    VirtualBoardClock clock;
    Recorder recorder;
    BoardSimulator board{clock, recorder};
};

} // namespace pavlune::test
