#pragma once

#include "tools/artgen/CardArt.h"

#include <cairo.h>

namespace pavlune::artgen {

// Draws the picture part of a card front into a box of about 180 by 72
// design units centred on (cx, cy).
class PictogramPainter {
public:
    static void draw(cairo_t* cr, const CardArt& art, double cx, double cy);

    static void bulb(cairo_t* cr, double cx, double cy, double size, bool on);
    static void stopwatch(cairo_t* cr, double cx, double cy, double radius, unsigned colour);
    static void loopArrow(cairo_t* cr, double cx, double cy, double radius, unsigned colour, int count);
    static void returnArrow(cairo_t* cr, double cx, double cy, unsigned colour);
    // A car seen from above, front up; `wheelColour` 0 draws both wheels dark.
    static void car(cairo_t* cr, double cx, double cy, double scale, unsigned colour,
                    Side litWheel = Side::none);
    static void stopSign(cairo_t* cr, double cx, double cy, double size);
    static void speaker(cairo_t* cr, double cx, double cy, unsigned colour);
    static void toggleSwitch(cairo_t* cr, double cx, double cy, bool on, unsigned colour);
    static void numberBadge(cairo_t* cr, double cx, double cy, double radius, int number, unsigned colour);
};

} // namespace pavlune::artgen
