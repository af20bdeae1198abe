#pragma once

#include <array>
#include <cairo.h>
#include <cstdint>
#include <string>
#include <vector>

namespace pavlune::artgen {

// The board's own 8 by 8 pixel font for printable ASCII (0x20 to 0x7E).
// Row 0 is the top; the baseline lies under row 6, so row 7 holds only the
// descenders of g, j, p, q and y. Every glyph advances 8 pixels.
class PixelFont {
public:
    static constexpr int kCell = 8;
    static constexpr int kBaselineRow = 6; // last row above the baseline
    static constexpr char32_t kFirst = 0x20;
    static constexpr char32_t kLast = 0x7E;

    using Bitmap = std::array<std::uint8_t, kCell>; // one byte a row, bit 7 = column 0

    // The glyph of a printable character; a hollow box for anything else.
    static const Bitmap& glyph(char c);

    // Horizontal runs of set pixels merged into rectangles (column, row,
    // width, height), top-left origin: the outline of one glyph.
    struct Block {
        int x, y, w, h;
    };
    static std::vector<Block> blocks(const Bitmap& bitmap);

    // Draws text with its top-left at (x, y), `pixel` design units a font
    // pixel, in the current cairo source. `bold` widens every stroke to the
    // right by that many units.
    static void draw(cairo_t* cr, const std::string& text, double x, double y, double pixel, double bold = 0);
};

} // namespace pavlune::artgen
