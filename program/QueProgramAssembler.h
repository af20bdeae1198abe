#pragma once

#include "catalogue/CardCode.h"
#include "catalogue/CatalogueView.h"
#include "program/FieldRows.h"
#include "program/QueGroup.h"
#include "program/QueProgram.h"

#include <string>
#include <vector>

namespace pavlune {

// Turns field rows into a que program: one group of 8-byte instructions per
// card, an empty line for every empty slot between cards, loop ends patched
// with the line of their loop start (and, after an any-count start, with its
// typed number of turns), and the padding rule.
//
// The send routine makes one per send from the view it was handed:
//   QueProgramAssembler assembler(view);
//   const QueProgram program = assembler.assembleQueProgram(rows);
class QueProgramAssembler {
public:
    explicit QueProgramAssembler(CatalogueView view);

    // Starts the instruction line and the open-loop stack afresh. A slot
    // whose card the catalogue does not know (card set outside 0..2, index
    // past the end) counts as an empty slot.
    QueProgram assembleQueProgram(const FieldRows& rows);

private:
    void settlePendingEmptyLines(std::vector<QueGroup>& rowGroups);
    QueGroup cardGroup(const CardSlot& slot);
    // Removes and returns the nearest open loop start that `slot` ends, if any.
    struct OpenLoop {
        CardCode record;
        // The start card's typed number (the turns of an any-count loop).
        std::string value;
    };
    bool takeMatchingLoopStart(const CardSlot& slot, OpenLoop& loopStart);
    std::vector<std::string> displayLines(const std::string& text) const;
    bool isKnownCard(const CardSlot& slot) const;

    CatalogueView view_;
    int line_ = 0;
    int pendingEmptyLines_ = 0;
    std::vector<OpenLoop> openLoops_;
};

} // namespace pavlune
