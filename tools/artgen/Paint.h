#pragma once

#include "tools/artgen/Canvas.h"

#include <cairo.h>
#include <string>

namespace pavlune::artgen {

// Fonts are picked by family name through fontconfig.
inline constexpr const char* kRoundFamily = "Noto Sans CJK JP";
inline constexpr const char* kMonoFamily = "DejaVu Sans Mono";

enum class Align { left, centre, right };

struct TextStyle {
    const char* family = kRoundFamily;
    int weight = 700; // CSS-like: 400 regular, 700 bold
    double size = 20; // design units
    Rgb colour{0x1E2A38};
    double alpha = 1.0;
};

struct TextExtent {
    double width = 0;
    double height = 0;
};

// Small drawing vocabulary shared by every picture: paths, fills and text.
class Paint {
public:
    static void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
    static void fill(cairo_t* cr, const Rgb& c, double alpha = 1.0);
    static void fillPreserve(cairo_t* cr, const Rgb& c, double alpha = 1.0);
    static void stroke(cairo_t* cr, const Rgb& c, double width, double alpha = 1.0);
    static void fillRoundedRect(cairo_t* cr, double x, double y, double w, double h, double r, const Rgb& c,
                                double alpha = 1.0);
    // A soft drop shadow under a rounded rectangle (a few stacked, faded copies).
    static void shadow(cairo_t* cr, double x, double y, double w, double h, double r, double depth);
    static void circle(cairo_t* cr, double cx, double cy, double radius);
    // A straight arrow from (x0, y0) to (x1, y1) with a solid head.
    static void arrow(cairo_t* cr, double x0, double y0, double x1, double y1, double width, double head,
                      const Rgb& c);
    // An arc arrow around (cx, cy) from angle a0 to a1 (radians, cairo's
    // direction), head at a1.
    static void arcArrow(cairo_t* cr, double cx, double cy, double radius, double a0, double a1, double width,
                         double head, const Rgb& c);

    // A cubic curve from p0 to p3 (controls p1, p2) with a head at p3.
    static void curveArrow(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2,
                           double x3, double y3, double width, double head, const Rgb& c);

    // Draws text scaled so that its inked shape fits (w, h) at (x, y),
    // centred, never larger than style.size: one glyph per atlas cell.
    static void inkText(cairo_t* cr, const std::string& text, TextStyle style, double x, double y, double w,
                        double h);

    // One glyph per cell, left to right from (0, 0): digits sized to fill the
    // cell less the margins, every glyph centred across its cell and all on
    // one baseline (so "." sits low, as in running text).
    static void glyphCells(cairo_t* cr, const std::string& characters, TextStyle style, double cellWidth,
                           double cellHeight, double marginX, double marginY);

    // Logical size of a (possibly multi-line) text in design units.
    static TextExtent measure(cairo_t* cr, const std::string& text, const TextStyle& style);
    // Draws text with its logical box centred vertically on cy; x is the
    // left edge, centre or right edge by `align`. The size shrinks until the
    // widest line fits maxWidth. Returns the extent drawn.
    static TextExtent text(cairo_t* cr, const std::string& text, TextStyle style, double x, double cy,
                           double maxWidth, Align align = Align::centre);
};

} // namespace pavlune::artgen
