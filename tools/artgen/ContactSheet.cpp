#include "tools/artgen/ContactSheet.h"

#include "tools/artgen/CardArt.h"
#include "tools/artgen/CardPainter.h"
#include "tools/artgen/Paint.h"

#include <algorithm>

namespace pavlune::artgen {

namespace {

constexpr double kGap = 10;
constexpr double kLabel = 30;
constexpr double kHeader = 40;
constexpr double kColumn = kLabel + 3 * kCardWidth + 4 * kGap;
constexpr double kRow = kCardHeight + kGap;

void place(cairo_t* cr, const Canvas& picture, double x, double y) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, 1.0 / kPixelsPerUnit, 1.0 / kPixelsPerUnit);
    cairo_set_source_surface(cr, picture.surface(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

} // namespace

bool ContactSheet::write(const std::filesystem::path& file, const std::vector<CardFacts>& cards,
                         std::string& error) {
    int rows = 0;
    for (int set = 0; set < 3; ++set)
        rows = std::max(rows,
                        static_cast<int>(std::count_if(cards.begin(), cards.end(),
                                                       [set](const CardFacts& f) { return f.set == set; })));
    // drawn at one pixel per design unit: half the stored resolution
    Canvas sheet(3 * kColumn / kPixelsPerUnit, (kHeader + rows * kRow + kGap) / kPixelsPerUnit);
    cairo_t* cr = sheet.cr();
    cairo_scale(cr, 1.0 / kPixelsPerUnit, 1.0 / kPixelsPerUnit);
    cairo_rectangle(cr, 0, 0, 3 * kColumn, kHeader + rows * kRow + kGap);
    Paint::fill(cr, Rgb(0xE8EDF1));
    const char* setNames[3] = {"basic", "paprika", "full"};
    TextStyle header;
    header.size = 20;
    for (int set = 0; set < 3; ++set)
        Paint::text(cr, std::string(setNames[set]) + "    front / jam back / latte back", header,
                    set * kColumn + kLabel, kHeader / 2, 0, Align::left);
    TextStyle label;
    label.size = 14;
    for (const CardFacts& facts : cards) {
        const double x = facts.set * kColumn;
        const double y = kHeader + facts.index * kRow;
        Paint::text(cr, std::to_string(facts.index), label, x + kLabel - 6, y + kCardHeight / 2, 0,
                    Align::right);
        const CardArt* art = CardArtTable::find(facts.set, facts.index);
        if (art != nullptr) {
            Canvas front(kCardWidth, kCardHeight);
            CardPainter::front(front, *art, facts);
            place(cr, front, x + kLabel, y);
        }
        for (int dialect = 0; dialect < kPictureDialects; ++dialect) {
            Canvas back(kCardWidth, kCardHeight);
            CardPainter::back(back, facts, dialect);
            place(cr, back, x + kLabel + (kCardWidth + kGap) * (dialect + 1), y);
        }
    }
    return sheet.writePng(file, error);
}

} // namespace pavlune::artgen
