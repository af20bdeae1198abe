#pragma once

#include "sim/BoardContext.h"

#include <optional>
#include <string>

namespace pavlune {

// The que board at its end of the line: it takes bytes until it holds a
// whole program image and then runs it. A new image replaces the running
// program from its first byte. An image left unfinished (a send stopped
// half-way) is dropped after a quiet second, with a complaint.
class QueBoard {
public:
    static constexpr auto kUnfinishedTimeout = std::chrono::seconds(1);

    explicit QueBoard(BoardContext context);

    void receive(char byte);
    bool collecting() const { return !image_.empty(); }
    // The moment an unfinished image is dropped; nothing when none waits.
    std::optional<BoardClock::TimePoint> deadline() const;
    // Drops an unfinished image whose time is up.
    void advance();

private:
    // What the terminal view shows: each instruction as it completes, in hex.
    void show(const std::string& text);
    void showLastInstruction();

    BoardContext context_;
    std::size_t imageSize_;
    std::size_t instructionSize_;
    char padByte_;
    std::string image_;
    BoardClock::TimePoint lastByte_{};
};

} // namespace pavlune
