#pragma once

#include "sim/BoardOutputs.h"
#include "sim/BoardProgram.h"

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace pavlune {

// A que program image as the board runs it: 8-byte instructions, one per
// line from line 0, little-endian operands. The opcodes the cards use:
//   00 empty line             01 LED (byte 2)          02 OUT (port at 2, 0 = all; value at 4)
//   03 PWM (channel at 2, value at 4)                  04 WAIT (count at 2, sixtieths of a second)
//   05 jump to the line at 2  09 box = value at 4      0A box + value at 6
//   10 jump to the line at 2 when box < the value at 6 (comparison 2 at byte 4)
//   17 beep (frequency at 2, length at 4)
// The box is the loop counter of the loop cards (box 0; its number at byte 2).
// A line of padding (FF) or the end of the image ends the program; an
// instruction it does not know is reported once and passed over.
class QueImageProgram : public BoardProgram {
public:
    QueImageProgram(std::string image, BoardOutputs& outputs, BoardObserver& observer);

protected:
    Step step() override;

private:
    int operand(std::size_t line, std::size_t offset) const;
    void complainOnce(std::size_t line, const std::string& what);

    std::string image_;
    std::size_t instructionSize_;
    char padByte_;
    std::size_t line_ = 0;
    std::array<int, 256> boxes_{};
    std::set<std::size_t> complained_;
    BoardOutputs& outputs_;
    BoardObserver& observer_;
};

} // namespace pavlune
