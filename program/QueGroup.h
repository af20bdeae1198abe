#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pavlune {

// The instructions one card (or one empty line) adds to a que program, with
// what the sending overlay shows for them.
struct QueGroup {
    // A whole number of 8-byte instructions.
    std::vector<std::uint8_t> bytes;
    // Instruction line of the first instruction, counted from 0.
    int firstLine = 0;
    // Ready to show: the line number counted from 1, and for a card's lines a
    // space and the line ("3 LEDを つける"; an empty line shows "3").
    std::vector<std::string> displayLines;
    // An empty line between cards rather than a card.
    bool emptyLine = false;

    bool operator==(const QueGroup&) const = default;
};

} // namespace pavlune
