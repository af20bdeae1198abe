#pragma once

#include "catalogue/CatalogueView.h"
#include "program/FieldRows.h"
#include "program/QueProgram.h"
#include "program/SendUnit.h"

#include <string>
#include <vector>

namespace pavlune {

// One line of a program as people read it.
struct ListingLine {
    // que: the instruction line counted from 1 (empty for the padding);
    // empty in jam and latte.
    std::string number;
    // jam and latte: the line as it goes out (jam with its line number,
    // latte with its indent), without the line end. que: the instruction's
    // 8 bytes in hexadecimal, or the padding.
    std::string code;
    // que: the Japanese reading of the instruction; empty otherwise.
    std::string reading;

    bool operator==(const ListingLine&) const = default;
};

// The program part of what a field sends, one line per program line (jam,
// latte) or per instruction (que), made by the same assemblers as the send
// routine: the editor's program panel and `pavlune-export --lines` show it.
// The fixed sequences around the program (break, reset, prologue,
// epilogue) are left out.
class ProgramListing {
public:
    static std::vector<ListingLine> linesOf(const CatalogueView& view, const FieldRows& rows);

    // The lines of the row units (assembleRows), without their line ends.
    static std::vector<ListingLine> textLines(const std::vector<SendUnit>& rowUnits);
    // Every instruction, then one line for the padding when there is any.
    static std::vector<ListingLine> queLines(const QueProgram& program);

    // One line of text per listing line, each ending in a line feed: jam and
    // latte as sent; que as "  3  01 00 01 00 00 00 00 00  LEDを つける".
    static std::string text(const std::vector<ListingLine>& lines);
};

} // namespace pavlune
