#pragma once

#include "tools/artgen/Canvas.h"
#include "tools/artgen/CardArt.h"
#include "tools/artgen/CardFacts.h"

namespace pavlune::artgen {

// Draws the front and the backs of one card, 200 by 120 design units.
class CardPainter {
public:
    static Rgb dialectColour(int dialect);

    static void front(Canvas& canvas, const CardArt& art, const CardFacts& facts);
    // The back as the user reads it once the card is turned over.
    static void back(Canvas& canvas, const CardFacts& facts, int dialect);
    // The back as stored: the card face shows its back turned by 180 degrees
    // about the vertical axis, which mirrors the picture, so the file holds
    // the mirror image of what the user reads.
    static void mirror(const Canvas& source, Canvas& target);

    // The press highlight of the turn-over corner (40 by 40).
    static void flickCorner(Canvas& canvas);

private:
    static void dogEar(cairo_t* cr, const Rgb& flap, const Rgb& edge);
    static void numberCardFront(cairo_t* cr, const CardArt& art, const CardFacts& facts);
};

} // namespace pavlune::artgen
