#include "tools/artgen/AppIcon.h"

#include "tools/artgen/Paint.h"

#include <string>

namespace pavlune::artgen {

namespace {

constexpr Rgb kTheme(0x69D0EE);
constexpr Rgb kDeepBlue(0x0B6E99);
constexpr Rgb kInk(0x1E2A38);
constexpr Rgb kWhite(0xFFFFFF);
constexpr Rgb kCheek(0xFF8A80);
constexpr Rgb kSun(0xFFC83D);

// One card, centred on (cx, cy) and turned by `angle` radians; its own
// drawing happens in the card's space, origin at its top-left corner.
template <typename Inside>
void card(cairo_t* cr, double cx, double cy, double w, double h, double angle, const Rgb& face,
          const Rgb& edge, double line, Inside inside) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_translate(cr, -w / 2, -h / 2);
    Paint::shadow(cr, 0, 0, w, h, w * 0.14, w * 0.05);
    Paint::roundedRect(cr, 0, 0, w, h, w * 0.14);
    Paint::fillPreserve(cr, face);
    Paint::stroke(cr, edge, line);
    inside(cr);
    cairo_restore(cr);
}

} // namespace

void AppIcon::draw(Canvas& c) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    const double w = s * 0.52, h = s * 0.70, line = s * 0.035;
    // A blue card behind, leaning left: the palette the cards come from.
    card(cr, s * 0.40, s * 0.47, w, h, -0.26, kTheme, kDeepBlue, line, [&](cairo_t* r) {
        Paint::circle(r, w * 0.5, h * 0.5, w * 0.2);
        Paint::fill(r, kWhite, 0.55);
    });
    // The card in front, leaning right, with a smile and a sun on its header.
    card(cr, s * 0.60, s * 0.53, w, h, 0.14, kWhite, kDeepBlue, line, [&](cairo_t* r) {
        Paint::roundedRect(r, 0, 0, w, h * 0.26, w * 0.14);
        Paint::fill(r, kTheme);
        cairo_rectangle(r, 0, h * 0.16, w, h * 0.10);
        Paint::fill(r, kTheme);
        Paint::circle(r, w * 0.78, h * 0.13, w * 0.09);
        Paint::fill(r, kSun);
        const double eyeY = h * 0.48, eye = w * 0.075;
        Paint::circle(r, w * 0.34, eyeY, eye);
        Paint::fill(r, kInk);
        Paint::circle(r, w * 0.66, eyeY, eye);
        Paint::fill(r, kInk);
        Paint::circle(r, w * 0.22, h * 0.62, w * 0.07);
        Paint::fill(r, kCheek, 0.7);
        Paint::circle(r, w * 0.78, h * 0.62, w * 0.07);
        Paint::fill(r, kCheek, 0.7);
        cairo_arc(r, w * 0.5, h * 0.58, w * 0.2, 0.15 * kPi, 0.85 * kPi);
        cairo_set_line_cap(r, CAIRO_LINE_CAP_ROUND);
        Paint::stroke(r, kInk, w * 0.07);
    });
}

void AppIcon::appendTo(std::vector<PictureEntry>& entries) {
    for (const int pixels : kSizes) {
        const std::string size = std::to_string(pixels) + "x" + std::to_string(pixels);
        entries.push_back({"res/icons/hicolor/" + size + "/apps/pavlune-cards.png", pixels / 2.0,
                           pixels / 2.0, "application icon, " + size + " pixels",
                           [](Canvas& c) { draw(c); }});
    }
}

} // namespace pavlune::artgen
