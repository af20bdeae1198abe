#include "tools/artgen/PictogramPainter.h"

#include "tools/artgen/Paint.h"

#include <cmath>
#include <string>

namespace pavlune::artgen {

namespace {

constexpr Rgb kInk(0x1E2A38);
constexpr Rgb kWhite(0xFFFFFF);
constexpr double kDeg = kPi / 180.0;

double rad(double degrees) {
    return degrees * kDeg;
}

// Mirror everything drawn in `body` about the vertical line x = cx.
template <typename Body> void mirrored(cairo_t* cr, double cx, bool mirror, Body body) {
    cairo_save(cr);
    if (mirror) {
        cairo_translate(cr, cx, 0);
        cairo_scale(cr, -1, 1);
        cairo_translate(cr, -cx, 0);
    }
    body();
    cairo_restore(cr);
}

void bigNumber(cairo_t* cr, const std::string& text, double cx, double cy, unsigned colour) {
    TextStyle style;
    style.size = 46;
    style.weight = 900;
    style.colour = Rgb(colour);
    Paint::text(cr, text, style, cx, cy, 80);
}

} // namespace

void PictogramPainter::bulb(cairo_t* cr, double cx, double cy, double size, bool on) {
    const double r = size * 0.3;
    const double gy = cy - size * 0.12;
    if (on) {
        for (int i = 0; i < 8; ++i) {
            const double a = rad(-90 + 45 * i);
            if (i == 4)
                continue; // no ray into the base
            cairo_move_to(cr, cx + std::cos(a) * (r + 5), gy + std::sin(a) * (r + 5));
            cairo_line_to(cr, cx + std::cos(a) * (r + 13), gy + std::sin(a) * (r + 13));
            Paint::stroke(cr, Rgb(0xF2A900), 4);
        }
        Paint::circle(cr, cx, gy, r + 4);
        Paint::fill(cr, Rgb(0xFFF3B0), 0.9);
    }
    // glass and neck as one outline
    cairo_new_path(cr);
    cairo_arc(cr, cx, gy, r, rad(125), rad(55));
    cairo_line_to(cr, cx + r * 0.5, cy + size * 0.2);
    cairo_line_to(cr, cx - r * 0.5, cy + size * 0.2);
    cairo_close_path(cr);
    Paint::fillPreserve(cr, on ? Rgb(0xFFD43B) : Rgb(0xDDE3EA));
    Paint::stroke(cr, on ? Rgb(0xB07D00) : Rgb(0x5F6B78), 2.5);
    // filament
    cairo_move_to(cr, cx - r * 0.35, cy + size * 0.12);
    cairo_line_to(cr, cx - r * 0.35, gy);
    cairo_line_to(cr, cx - r * 0.12, gy - r * 0.25);
    cairo_line_to(cr, cx + r * 0.12, gy);
    cairo_line_to(cr, cx + r * 0.35, gy - r * 0.25);
    cairo_line_to(cr, cx + r * 0.35, cy + size * 0.12);
    Paint::stroke(cr, on ? Rgb(0xD9480F) : Rgb(0x8A96A3), 2);
    // screw base
    Paint::fillRoundedRect(cr, cx - r * 0.55, cy + size * 0.2, r * 1.1, size * 0.17, 3, Rgb(0x7B8794));
    for (int i = 1; i <= 2; ++i) {
        const double y = cy + size * 0.2 + size * 0.17 * i / 3.0;
        cairo_move_to(cr, cx - r * 0.5, y);
        cairo_line_to(cr, cx + r * 0.5, y);
        Paint::stroke(cr, Rgb(0xC3CCD5), 1.5);
    }
}

void PictogramPainter::stopwatch(cairo_t* cr, double cx, double cy, double radius, unsigned colour) {
    const Rgb accent(colour);
    // crown and side button
    Paint::fillRoundedRect(cr, cx - 5, cy - radius - 9, 10, 8, 2, kInk);
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, rad(45));
    Paint::fillRoundedRect(cr, -4, -radius - 6, 8, 7, 2, kInk);
    cairo_restore(cr);
    Paint::circle(cr, cx, cy, radius);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, accent, 5);
    // the part of the dial that "runs"
    cairo_move_to(cr, cx, cy);
    cairo_arc(cr, cx, cy, radius - 5, rad(-90), rad(30));
    cairo_close_path(cr);
    Paint::fill(cr, accent.mix(kWhite, 0.65));
    for (int i = 0; i < 12; ++i) {
        const double a = rad(30 * i);
        cairo_move_to(cr, cx + std::cos(a) * (radius - 5), cy + std::sin(a) * (radius - 5));
        cairo_line_to(cr, cx + std::cos(a) * (radius - 9), cy + std::sin(a) * (radius - 9));
        Paint::stroke(cr, kInk, 2);
    }
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + std::cos(rad(30)) * (radius - 8), cy + std::sin(rad(30)) * (radius - 8));
    Paint::stroke(cr, kInk, 3.5);
    Paint::circle(cr, cx, cy, 3.5);
    Paint::fill(cr, kInk);
}

void PictogramPainter::loopArrow(cairo_t* cr, double cx, double cy, double radius, unsigned colour,
                                 int count) {
    Paint::arcArrow(cr, cx, cy, radius, rad(-60), rad(235), 7, 13, Rgb(colour));
    if (count == 0) {
        // for ever: a lying eight
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_move_to(cr, 0, 0);
        cairo_curve_to(cr, 6, -10, 16, -10, 16, 0);
        cairo_curve_to(cr, 16, 10, 6, 10, 0, 0);
        cairo_curve_to(cr, -6, -10, -16, -10, -16, 0);
        cairo_curve_to(cr, -16, 10, -6, 10, 0, 0);
        cairo_restore(cr);
        Paint::stroke(cr, Rgb(colour), 4.5);
    } else if (count > 0) {
        TextStyle style;
        style.size = 30;
        style.weight = 900;
        style.colour = Rgb(colour);
        Paint::text(cr, std::to_string(count), style, cx, cy, radius * 1.4);
    }
}

void PictogramPainter::returnArrow(cairo_t* cr, double cx, double cy, unsigned colour) {
    // runs right to left along the bottom, then up: back to where the loop began
    cairo_move_to(cr, cx + 26, cy + 22);
    cairo_line_to(cr, cx - 8, cy + 22);
    cairo_curve_to(cr, cx - 22, cy + 22, cx - 22, cy + 22, cx - 22, cy + 8);
    Paint::stroke(cr, Rgb(colour), 8);
    Paint::arrow(cr, cx - 22, cy + 10, cx - 22, cy - 28, 8, 16, Rgb(colour));
}

void PictogramPainter::car(cairo_t* cr, double cx, double cy, double scale, unsigned colour, Side litWheel) {
    const double w = 30 * scale, h = 46 * scale;
    const double wheelW = 9 * scale, wheelH = 20 * scale;
    auto wheel = [&](Side side) {
        const double x = side == Side::left ? cx - w / 2 - wheelW + 2 : cx + w / 2 - 2;
        const bool lit = side == litWheel;
        if (lit) {
            Paint::fillRoundedRect(cr, x - 4, cy - wheelH / 2 - 4, wheelW + 8, wheelH + 8, 5, Rgb(0xFFD43B));
        }
        Paint::fillRoundedRect(cr, x, cy - wheelH / 2, wheelW, wheelH, 3 * scale,
                               lit ? Rgb(0x263238) : Rgb(0x37474F));
        for (int i = 1; i < 4; ++i) {
            const double y = cy - wheelH / 2 + wheelH * i / 4.0;
            cairo_move_to(cr, x + 2, y);
            cairo_line_to(cr, x + wheelW - 2, y);
            Paint::stroke(cr, Rgb(0x90A4AE), 1.2);
        }
    };
    wheel(Side::left);
    wheel(Side::right);
    Paint::roundedRect(cr, cx - w / 2, cy - h / 2, w, h, 9 * scale);
    Paint::fillPreserve(cr, Rgb(colour));
    Paint::stroke(cr, Rgb(colour).mix(kInk, 0.45), 2);
    // windscreen at the front (top) and headlights: the car looks up
    Paint::fillRoundedRect(cr, cx - w / 2 + 5 * scale, cy - h / 2 + 9 * scale, w - 10 * scale, 9 * scale,
                           3 * scale, Rgb(0xD6F1FF));
    Paint::circle(cr, cx - w / 2 + 6 * scale, cy - h / 2 + 4 * scale, 2.6 * scale);
    Paint::circle(cr, cx + w / 2 - 6 * scale, cy - h / 2 + 4 * scale, 2.6 * scale);
    Paint::fill(cr, Rgb(0xFFE066));
}

void PictogramPainter::stopSign(cairo_t* cr, double cx, double cy, double size) {
    // the Japanese stop sign: a red triangle standing on its point
    const double half = size / 2;
    cairo_move_to(cr, cx - half, cy - half * 0.8);
    cairo_line_to(cr, cx + half, cy - half * 0.8);
    cairo_line_to(cr, cx, cy + half * 0.95);
    cairo_close_path(cr);
    Paint::fillPreserve(cr, Rgb(0xE53935));
    Paint::stroke(cr, kWhite, 3);
    TextStyle style;
    style.size = size * 0.22;
    style.weight = 900;
    style.colour = kWhite;
    Paint::text(cr, "とまれ", style, cx, cy - half * 0.35, size * 0.62);
}

void PictogramPainter::speaker(cairo_t* cr, double cx, double cy, unsigned colour) {
    const Rgb accent(colour);
    cairo_move_to(cr, cx - 30, cy - 10);
    cairo_line_to(cr, cx - 18, cy - 10);
    cairo_line_to(cr, cx - 2, cy - 24);
    cairo_line_to(cr, cx - 2, cy + 24);
    cairo_line_to(cr, cx - 18, cy + 10);
    cairo_line_to(cr, cx - 30, cy + 10);
    cairo_close_path(cr);
    Paint::fillPreserve(cr, accent);
    Paint::stroke(cr, accent.mix(kInk, 0.4), 2);
    for (int i = 0; i < 3; ++i) {
        cairo_new_path(cr);
        cairo_arc(cr, cx - 2, cy, 10 + i * 9, rad(-45), rad(45));
        Paint::stroke(cr, accent, 4.5);
    }
    // a note
    const double nx = cx + 52, ny = cy + 14;
    Paint::circle(cr, nx, ny, 7);
    Paint::fill(cr, kInk);
    cairo_move_to(cr, nx + 6, ny);
    cairo_line_to(cr, nx + 6, ny - 32);
    cairo_curve_to(cr, nx + 12, ny - 26, nx + 18, ny - 24, nx + 16, ny - 14);
    Paint::stroke(cr, kInk, 3);
}

void PictogramPainter::toggleSwitch(cairo_t* cr, double cx, double cy, bool on, unsigned colour) {
    const double w = 78, h = 38;
    Paint::roundedRect(cr, cx - w / 2, cy - h / 2, w, h, h / 2);
    Paint::fillPreserve(cr, on ? Rgb(colour) : Rgb(0xB0BEC5));
    Paint::stroke(cr, on ? Rgb(colour).mix(kInk, 0.4) : Rgb(0x607D8B), 2);
    const double knobX = on ? cx + w / 2 - h / 2 : cx - w / 2 + h / 2;
    Paint::circle(cr, knobX, cy, h / 2 - 4);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, Rgb(0x90A4AE), 1.5);
    TextStyle style;
    style.size = 17;
    style.weight = 900;
    style.colour = on ? kWhite : Rgb(0x37474F);
    Paint::text(cr, on ? "ON" : "OFF", style, on ? cx - 12 : cx + 12, cy, 40);
    if (on) {
        for (int i = -1; i <= 1; ++i) {
            const double a = rad(-90 + 35 * i);
            cairo_move_to(cr, knobX + std::cos(a) * (h / 2 + 3), cy + std::sin(a) * (h / 2 + 3));
            cairo_line_to(cr, knobX + std::cos(a) * (h / 2 + 9), cy + std::sin(a) * (h / 2 + 9));
            Paint::stroke(cr, Rgb(0xF2A900), 3);
        }
    }
}

void PictogramPainter::numberBadge(cairo_t* cr, double cx, double cy, double radius, int number,
                                   unsigned colour) {
    Paint::roundedRect(cr, cx - radius, cy - radius, radius * 2, radius * 2, 8);
    Paint::fillPreserve(cr, kInk);
    Paint::stroke(cr, Rgb(colour), 3);
    TextStyle small;
    small.size = 11;
    small.weight = 700;
    small.colour = Rgb(0xB0BEC5);
    Paint::text(cr, "OUT", small, cx, cy - radius * 0.55, radius * 1.6);
    TextStyle big;
    big.size = 30;
    big.weight = 900;
    big.colour = kWhite;
    Paint::text(cr, std::to_string(number), big, cx, cy + radius * 0.2, radius * 1.6);
}

void PictogramPainter::draw(cairo_t* cr, const CardArt& art, double cx, double cy) {
    const Rgb accent(art.colour);
    switch (art.picture) {
    case Pictogram::ledOn:
    case Pictogram::ledOff: {
        const bool on = art.picture == Pictogram::ledOn;
        bulb(cr, cx - 30, cy + 2, 66, on);
        TextStyle style;
        style.size = 30;
        style.weight = 900;
        style.colour = on ? Rgb(0xE67700) : Rgb(0x607D8B);
        Paint::text(cr, on ? "ON" : "OFF", style, cx + 38, cy + 2, 80);
        break;
    }
    case Pictogram::stopwatch:
        if (art.number >= 0) {
            stopwatch(cr, cx - 32, cy + 4, 27, art.colour);
            bigNumber(cr, std::to_string(art.number), cx + 36, cy + 2, art.colour);
        } else {
            stopwatch(cr, cx, cy + 4, 27, art.colour);
        }
        break;
    case Pictogram::loopStart:
        loopArrow(cr, cx, cy + 2, 27, art.colour, art.number);
        break;
    case Pictogram::loopEnd:
        returnArrow(cr, cx - 14, cy + 2, art.colour);
        if (art.number > 0) {
            TextStyle style;
            style.size = 30;
            style.weight = 900;
            style.colour = accent;
            Paint::text(cr, std::to_string(art.number), style, cx + 40, cy + 2, 60);
        } else if (art.number == 0) {
            loopArrow(cr, cx + 40, cy + 2, 0.01, art.colour, 0); // just the lying eight
        }
        break;
    case Pictogram::carForward:
    case Pictogram::carBack: {
        const bool forward = art.picture == Pictogram::carForward;
        car(cr, cx - 30, cy + 2, 1.25, art.colour);
        const double top = cy - 30, bottom = cy + 34;
        Paint::arrow(cr, cx + 34, forward ? bottom : top, cx + 34, forward ? top : bottom, 12, 22,
                     Rgb(0xF57C00));
        break;
    }
    case Pictogram::carStop:
        car(cr, cx - 36, cy + 2, 1.25, 0x5E9E12);
        stopSign(cr, cx + 36, cy + 2, 64);
        break;
    case Pictogram::carSpinLeft:
    case Pictogram::carSpinRight:
        mirrored(cr, cx, art.picture == Pictogram::carSpinRight, [&] {
            car(cr, cx, cy + 3, 1.05, art.colour);
            Paint::arcArrow(cr, cx, cy + 3, 33, rad(25), rad(-205), 7, 14, Rgb(0xF57C00));
        });
        break;
    case Pictogram::carTurnLeft:
    case Pictogram::carTurnRight:
        mirrored(cr, cx, art.picture == Pictogram::carTurnRight, [&] {
            car(cr, cx + 32, cy + 8, 1.05, art.colour);
            Paint::curveArrow(cr, cx + 32, cy - 20, cx + 32, cy - 40, cx + 5, cy - 34, cx - 46, cy - 22, 9,
                              18, Rgb(0xF57C00));
        });
        break;
    case Pictogram::carBackLeft:
    case Pictogram::carBackRight:
        mirrored(cr, cx, art.picture == Pictogram::carBackRight, [&] {
            car(cr, cx + 32, cy - 6, 1.05, art.colour);
            Paint::curveArrow(cr, cx + 32, cy + 22, cx + 32, cy + 40, cx + 5, cy + 36, cx - 46, cy + 24, 9,
                              18, Rgb(0xF57C00));
        });
        break;
    case Pictogram::wheelForward:
    case Pictogram::wheelStop:
    case Pictogram::wheelBack:
        mirrored(cr, cx, art.side == Side::right, [&] {
            car(cr, cx + 14, cy + 2, 1.25, 0x5E9E12, Side::left);
            const double ax = cx - 44;
            if (art.picture == Pictogram::wheelStop) {
                // the stop sign reads mirrored on the right-wheel cards, so undo the mirror for it
                mirrored(cr, ax, art.side == Side::right, [&] { stopSign(cr, ax, cy + 2, 42); });
            } else {
                const bool forward = art.picture == Pictogram::wheelForward;
                Paint::arrow(cr, ax, forward ? cy + 30 : cy - 26, ax, forward ? cy - 26 : cy + 30, 11, 20,
                             Rgb(0xF57C00));
            }
        });
        break;
    case Pictogram::beep:
        speaker(cr, cx - 20, cy + 2, art.colour);
        break;
    case Pictogram::outputOn:
    case Pictogram::outputOff:
        numberBadge(cr, cx - 44, cy + 2, 27, art.number, art.colour);
        toggleSwitch(cr, cx + 36, cy + 4, art.picture == Pictogram::outputOn, art.colour);
        break;
    }
}

} // namespace pavlune::artgen
