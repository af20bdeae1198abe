#pragma once

#include "program/QueProgram.h"
#include "program/SendUnit.h"

#include <string>
#include <vector>

namespace pavlune {

// What a field program sends, as raw bytes or as a listing for people.
class TransferPrinter {
public:
    // Every byte of the units in sending order, without the pauses.
    static std::string textBytes(const std::vector<SendUnit>& units);
    // The instructions and the padding.
    static std::string queBytes(const QueProgram& program);

    // One line per unit: its pause after each character, whether it is
    // echoed, and its text escaped:  '50 ms  echo    "10 LED 1\r\n"'.
    static std::string textListing(const std::vector<SendUnit>& units);
    // One line per group: its row, its first instruction line, its bytes in
    // hexadecimal and its display lines; then one line for the padding.
    static std::string queListing(const QueProgram& program);
};

} // namespace pavlune
