#pragma once

#include "print/PaperSize.h"
#include "program/FieldRows.h"

#include <string>

namespace pavlune {

// A program printed as paper cards, for lessons without a computer: first the
// program's rows in order, each with its line number and its card at real
// size, then every card the program uses (as many times as it is used) on a
// grid with cutting lines. The card pictures carry a pictogram and words, so
// the sheets read on a black-and-white printer too.
//
// Display-free: cairo draws the PDF into memory, pango lays out the text in
// the board's own font (line numbers, typed numbers) and the system's
// Japanese font (headings); both are embedded in the file.
class ProgramPdf {
public:
    // A printed card is the screen's 200 x 120 units at 0.3 mm.
    static constexpr double kCardWidthMm = 60;
    static constexpr double kCardHeightMm = 36;

    // False in builds without cairo, where write always fails.
    static bool isAvailable();

    // The PDF's bytes in `pdf`, its pages headed by `title`. False with a
    // one-line reason when a card picture or font is missing or cairo fails.
    static bool write(const FieldRows& rows, const std::string& title, PaperSize paper, std::string& pdf,
                      std::string& error);
};

} // namespace pavlune
