#pragma once

#include "catalogue/CatalogueView.h"
#include "program/FieldRows.h"
#include "program/SendUnit.h"

#include <string>
#include <vector>

namespace pavlune {

// Turns field rows into the text a jam or latte board receives: break, reset,
// prologue, one line per row holding cards, epilogue; each piece with its
// pause per character and its echo flag.
//
// The send routine makes one per send from the view it was handed:
//   TextTransferAssembler assembler(view);
//   for (const SendUnit& unit : assembler.assembleTextTransfer(rows)) ...
class TextTransferAssembler {
public:
    explicit TextTransferAssembler(CatalogueView view);

    // The units in sending order. Starts the brace depth afresh. A slot
    // whose card the catalogue does not know (card set outside 0..2, index
    // past the end, as a damaged program file may hold) is left out, like an
    // empty slot.
    std::vector<SendUnit> assembleTextTransfer(const FieldRows& rows);
    // Only the program: one unit per row holding cards, as in the transfer.
    // Starts the brace depth afresh.
    std::vector<SendUnit> assembleRows(const FieldRows& rows);
    // For each unit of the last assembleRows, the index of its field row.
    const std::vector<int>& unitRows() const { return unitRows_; }

    // The latte indentation level of a row text, in levels of two spaces,
    // and moves the brace depth by the braces of the text; 0 in any other
    // dialect. A loop start row is at the outer level, the rows inside one
    // level deeper, the loop end back at the outer level.
    int indentLevel(const std::string& rowText);

    int getBraceDepth() const { return braceDepth_; }
    void setBraceDepth(int depth) { braceDepth_ = depth; }

private:
    SendUnit sequenceUnit(const CardCode& record) const;
    // The text of one card, its number substituted.
    std::string cardText(const CardSlot& slot, const CardCode& record) const;
    bool isKnownCard(const CardSlot& slot) const;

    CatalogueView view_;
    int braceDepth_ = 0;
    std::vector<int> unitRows_;
};

} // namespace pavlune
