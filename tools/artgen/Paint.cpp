#include "tools/artgen/Paint.h"

#include <algorithm>
#include <cmath>
#include <pango/pangocairo.h>

namespace pavlune::artgen {

namespace {

// Outline hinting would make the layout depend on the pixel grid; without it
// a text has the same shape at every position and the output is stable.
PangoLayout* makeLayout(cairo_t* cr, const std::string& text, const TextStyle& style) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoContext* context = pango_layout_get_context(layout);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_context_set_round_glyph_positions(context, FALSE);
    pango_layout_context_changed(layout);

    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, style.family);
    pango_font_description_set_weight(desc, static_cast<PangoWeight>(style.weight));
    pango_font_description_set_absolute_size(desc, style.size * PANGO_SCALE);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    pango_layout_set_text(layout, text.c_str(), static_cast<int>(text.size()));
    return layout;
}

TextExtent extentOf(PangoLayout* layout) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return {static_cast<double>(logical.width) / PANGO_SCALE,
            static_cast<double>(logical.height) / PANGO_SCALE};
}

} // namespace

void Paint::roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void Paint::fill(cairo_t* cr, const Rgb& c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
    cairo_fill(cr);
}

void Paint::fillPreserve(cairo_t* cr, const Rgb& c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
    cairo_fill_preserve(cr);
}

void Paint::stroke(cairo_t* cr, const Rgb& c, double width, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void Paint::fillRoundedRect(cairo_t* cr, double x, double y, double w, double h, double r, const Rgb& c,
                            double alpha) {
    roundedRect(cr, x, y, w, h, r);
    fill(cr, c, alpha);
}

void Paint::shadow(cairo_t* cr, double x, double y, double w, double h, double r, double depth) {
    for (int i = 3; i >= 1; --i) {
        const double grow = depth * i / 3.0;
        roundedRect(cr, x - grow / 2, y + depth - grow / 2, w + grow, h + grow, r + grow / 2);
        fill(cr, Rgb(0x000000), 0.07);
    }
}

void Paint::circle(cairo_t* cr, double cx, double cy, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, cx, cy, radius, 0, 2 * kPi);
    cairo_close_path(cr);
}

void Paint::arrow(cairo_t* cr, double x0, double y0, double x1, double y1, double width, double head,
                  const Rgb& c) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    if (len <= 0)
        return;
    const double ux = (x1 - x0) / len, uy = (y1 - y0) / len;
    const double bx = x1 - ux * head, by = y1 - uy * head; // base of the head
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, bx + ux * 1.0, by + uy * 1.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    stroke(cr, c, width);
    cairo_move_to(cr, x1, y1);
    cairo_line_to(cr, bx - uy * head * 0.75, by + ux * head * 0.75);
    cairo_line_to(cr, bx + uy * head * 0.75, by - ux * head * 0.75);
    cairo_close_path(cr);
    fill(cr, c);
}

void Paint::arcArrow(cairo_t* cr, double cx, double cy, double radius, double a0, double a1, double width,
                     double head, const Rgb& c) {
    const double dir = a1 >= a0 ? 1.0 : -1.0;
    const double headAngle = head / radius; // the head's length along the arc
    const double stop = a1 - dir * headAngle * 0.8;
    cairo_new_path(cr);
    if (dir > 0)
        cairo_arc(cr, cx, cy, radius, a0, stop);
    else
        cairo_arc_negative(cr, cx, cy, radius, a0, stop);
    stroke(cr, c, width);
    // Head: a triangle tangent to the arc at a1.
    const double tipX = cx + radius * std::cos(a1), tipY = cy + radius * std::sin(a1);
    const double baseA = a1 - dir * headAngle;
    const double bx = cx + radius * std::cos(baseA), by = cy + radius * std::sin(baseA);
    const double nx = std::cos(baseA), ny = std::sin(baseA); // outward normal at the base
    cairo_move_to(cr, tipX, tipY);
    cairo_line_to(cr, bx + nx * head * 0.75, by + ny * head * 0.75);
    cairo_line_to(cr, bx - nx * head * 0.75, by - ny * head * 0.75);
    cairo_close_path(cr);
    fill(cr, c);
}

TextExtent Paint::measure(cairo_t* cr, const std::string& text, const TextStyle& style) {
    PangoLayout* layout = makeLayout(cr, text, style);
    const TextExtent e = extentOf(layout);
    g_object_unref(layout);
    return e;
}

TextExtent Paint::text(cairo_t* cr, const std::string& text, TextStyle style, double x, double cy,
                       double maxWidth, Align align) {
    PangoLayout* layout = makeLayout(cr, text, style);
    TextExtent e = extentOf(layout);
    if (maxWidth > 0 && e.width > maxWidth) {
        style.size *= maxWidth / e.width;
        g_object_unref(layout);
        layout = makeLayout(cr, text, style);
        e = extentOf(layout);
    }
    pango_layout_set_alignment(layout, align == Align::left    ? PANGO_ALIGN_LEFT
                                       : align == Align::right ? PANGO_ALIGN_RIGHT
                                                               : PANGO_ALIGN_CENTER);
    double left = x;
    if (align == Align::centre)
        left = x - e.width / 2;
    if (align == Align::right)
        left = x - e.width;
    cairo_save(cr);
    cairo_set_source_rgba(cr, style.colour.r, style.colour.g, style.colour.b, style.alpha);
    cairo_move_to(cr, left, cy - e.height / 2);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
    return e;
}

} // namespace pavlune::artgen

namespace pavlune::artgen {

void Paint::curveArrow(cairo_t* cr, double x0, double y0, double x1, double y1, double x2, double y2,
                       double x3, double y3, double width, double head, const Rgb& c) {
    const double len = std::hypot(x3 - x2, y3 - y2);
    const double ux = len > 0 ? (x3 - x2) / len : 0, uy = len > 0 ? (y3 - y2) / len : -1;
    const double bx = x3 - ux * head, by = y3 - uy * head;
    cairo_move_to(cr, x0, y0);
    cairo_curve_to(cr, x1, y1, x2, y2, bx + ux, by + uy);
    stroke(cr, c, width);
    cairo_move_to(cr, x3, y3);
    cairo_line_to(cr, bx - uy * head * 0.75, by + ux * head * 0.75);
    cairo_line_to(cr, bx + uy * head * 0.75, by - ux * head * 0.75);
    cairo_close_path(cr);
    fill(cr, c);
}

} // namespace pavlune::artgen

namespace pavlune::artgen {

void Paint::inkText(cairo_t* cr, const std::string& text, TextStyle style, double x, double y, double w,
                    double h) {
    PangoLayout* layout = makeLayout(cr, text, style);
    PangoRectangle ink;
    pango_layout_get_extents(layout, &ink, nullptr);
    double iw = static_cast<double>(ink.width) / PANGO_SCALE,
           ih = static_cast<double>(ink.height) / PANGO_SCALE;
    const double scale = (iw > 0 && ih > 0) ? std::min({1.0, w / iw, h / ih}) : 1.0;
    if (scale < 1.0) {
        style.size *= scale;
        g_object_unref(layout);
        layout = makeLayout(cr, text, style);
        pango_layout_get_extents(layout, &ink, nullptr);
        iw = static_cast<double>(ink.width) / PANGO_SCALE;
        ih = static_cast<double>(ink.height) / PANGO_SCALE;
    }
    const double inkX = static_cast<double>(ink.x) / PANGO_SCALE,
                 inkY = static_cast<double>(ink.y) / PANGO_SCALE;
    cairo_save(cr);
    cairo_set_source_rgba(cr, style.colour.r, style.colour.g, style.colour.b, style.alpha);
    cairo_move_to(cr, x + (w - iw) / 2 - inkX, y + (h - ih) / 2 - inkY);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
}

} // namespace pavlune::artgen

namespace pavlune::artgen {

void Paint::glyphCells(cairo_t* cr, const std::string& characters, TextStyle style, double cellWidth,
                       double cellHeight, double marginX, double marginY) {
    auto inkOf = [&](const std::string& text) {
        PangoLayout* layout = makeLayout(cr, text, style);
        PangoRectangle ink;
        pango_layout_get_extents(layout, &ink, nullptr);
        g_object_unref(layout);
        return ink;
    };
    // Size from the digits: their common height fills the cell.
    PangoRectangle digits = inkOf("0123456789");
    double widest = 0;
    for (char c : std::string("0123456789"))
        widest = std::max(widest, static_cast<double>(inkOf(std::string(1, c)).width));
    const double scale =
        std::min((cellHeight - 2 * marginY) / (static_cast<double>(digits.height) / PANGO_SCALE),
                 (cellWidth - 2 * marginX) / (widest / PANGO_SCALE));
    style.size *= scale;
    digits = inkOf("0123456789");
    const double top = static_cast<double>(digits.y) / PANGO_SCALE;
    const double height = static_cast<double>(digits.height) / PANGO_SCALE;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const std::string glyph(1, characters[i]);
        PangoLayout* layout = makeLayout(cr, glyph, style);
        PangoRectangle ink;
        pango_layout_get_extents(layout, &ink, nullptr);
        const double iw = static_cast<double>(ink.width) / PANGO_SCALE;
        const double ix = static_cast<double>(ink.x) / PANGO_SCALE;
        cairo_save(cr);
        cairo_rectangle(cr, cellWidth * i, 0, cellWidth, cellHeight);
        cairo_clip(cr);
        cairo_set_source_rgba(cr, style.colour.r, style.colour.g, style.colour.b, style.alpha);
        cairo_move_to(cr, cellWidth * i + (cellWidth - iw) / 2 - ix, (cellHeight - height) / 2 - top);
        pango_cairo_show_layout(cr, layout);
        cairo_restore(cr);
        g_object_unref(layout);
    }
}

} // namespace pavlune::artgen
