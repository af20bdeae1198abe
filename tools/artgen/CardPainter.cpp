#include "tools/artgen/CardPainter.h"

#include "tools/artgen/Paint.h"
#include "tools/artgen/PictogramPainter.h"
#include "tools/artgen/PixelFont.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace pavlune::artgen {

namespace {

constexpr double W = kCardWidth;
constexpr double H = kCardHeight;
constexpr double kCorner = 14;
constexpr double kEar = 24; // the folded corner that shows where to turn the card
constexpr Rgb kWhite(0xFFFFFF);
constexpr Rgb kInk(0x1E2A38);

// Image coordinates (y down, origin top-left) of a centre-relative box.
struct ImageBox {
    double left, top, w, h;
    double cx() const { return left + w / 2; }
    double cy() const { return top + h / 2; }
    double right() const { return left + w; }
};

ImageBox onFront(const CentredBox& b) {
    return {W / 2 + b.x - b.w / 2, H / 2 - b.y - b.h / 2, b.w, b.h};
}
// The back is read mirrored, so its boxes are mirrored too.
ImageBox onReadBack(const CentredBox& b) {
    return {W / 2 - b.x - b.w / 2, H / 2 - b.y - b.h / 2, b.w, b.h};
}

void numberBox(cairo_t* cr, const ImageBox& b, double pad, const Rgb& border, double borderWidth) {
    Paint::roundedRect(cr, b.left - pad, b.top - pad, b.w + 2 * pad, b.h + 2 * pad, std::min(6.0, b.h / 3));
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, border, borderWidth);
}

std::vector<std::string> splitLines(const std::string& code) {
    std::vector<std::string> lines;
    std::stringstream in(code);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    if (lines.empty())
        lines.emplace_back();
    return lines;
}

void cardShape(cairo_t* cr) {
    Paint::roundedRect(cr, 2, 2, W - 4, H - 4, kCorner);
}

// Loop cards carry a bracket in their colour: the start card opens it at the
// top left, the end card closes it at the bottom left.
void loopBracket(cairo_t* cr, const Rgb& accent, bool start) {
    cairo_save(cr);
    cardShape(cr);
    cairo_clip(cr);
    cairo_rectangle(cr, 0, 0, 11, H);
    cairo_rectangle(cr, 0, start ? 0 : H - 11, W, 11);
    Paint::fill(cr, accent);
    cairo_restore(cr);
}

} // namespace

Rgb CardPainter::dialectColour(int dialect) {
    return dialect == 0 ? Rgb(0xD6336C) : Rgb(0xA66A3F);
}

void CardPainter::dogEar(cairo_t* cr, const Rgb& flap, const Rgb& edge) {
    // cut the corner away, then lay the folded flap over it
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_move_to(cr, W - kEar, H);
    cairo_line_to(cr, W, H - kEar);
    cairo_line_to(cr, W, H);
    cairo_close_path(cr);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_move_to(cr, W - kEar - 1, H - 1);
    cairo_line_to(cr, W - 1, H - kEar - 1);
    cairo_line_to(cr, W - kEar + 3, H - kEar + 3);
    cairo_close_path(cr);
    Paint::fillPreserve(cr, flap);
    Paint::stroke(cr, edge, 2);
}

void CardPainter::front(Canvas& canvas, const CardArt& art, const CardFacts& facts) {
    cairo_t* cr = canvas.cr();
    const Rgb accent(art.colour);
    cardShape(cr);
    Paint::fillPreserve(cr, accent.mix(kWhite, 0.85));
    Paint::stroke(cr, accent, 4);
    const bool loop = art.picture == Pictogram::loopStart || art.picture == Pictogram::loopEnd;
    if (loop)
        loopBracket(cr, accent, art.picture == Pictogram::loopStart);

    if (facts.numberCard[0] && facts.inputBoxes[0].size() >= 2) {
        numberCardFront(cr, art, facts);
    } else {
        const double left = loop ? 17 : 9;
        PictogramPainter::draw(cr, art, (left + W - 9) / 2, 44);
        Paint::fillRoundedRect(cr, left, 82, W - kEar - 6 - left, 30, 9, kWhite);
        TextStyle style;
        style.size = 19;
        style.colour = kInk;
        Paint::text(cr, art.caption, style, (left + W - kEar - 6) / 2, 97, W - kEar - 14 - left);
    }
    dogEar(cr, accent.mix(kWhite, 0.45), accent);
}

void CardPainter::numberCardFront(cairo_t* cr, const CardArt& art, const CardFacts& facts) {
    const Rgb accent(art.colour);
    const ImageBox large = onFront(facts.inputBoxes[0][0]);
    const ImageBox small = onFront(facts.inputBoxes[0][1]);
    const bool loop = art.picture == Pictogram::loopStart;
    TextStyle question;
    question.size = 17;
    question.colour = accent.mix(kInk, 0.35);
    if (loop) {
        PictogramPainter::loopArrow(cr, 45, large.cy(), 18, art.colour, -1);
        Paint::text(cr, "なんかい？", question, W / 2 + 4, 24, 120);
    } else {
        PictogramPainter::stopwatch(cr, 40, 50, 23, art.colour);
        Paint::text(cr, "なんびょう？", question, 126, 27, 110);
    }
    numberBox(cr, large, 3, accent, 3);
    // caption line: the small number box, then the words
    const double bandLeft = small.left - 5;
    Paint::fillRoundedRect(cr, bandLeft, small.top - 4, W - kEar - 6 - bandLeft, small.h + 8, 7, kWhite);
    numberBox(cr, small, 1.5, accent, 2);
    TextStyle style;
    style.size = 16;
    style.colour = kInk;
    Paint::text(cr, art.caption, style, small.right() + 5, small.cy(), W - kEar - 10 - small.right(),
                Align::left);
}

void CardPainter::back(Canvas& canvas, const CardFacts& facts, int dialect) {
    cairo_t* cr = canvas.cr();
    const Rgb frame = dialectColour(dialect);
    const Rgb textColour = dialect == 0 ? Rgb(0xFFD166) : Rgb(0x8CF0B4);
    cardShape(cr);
    Paint::fillPreserve(cr, Rgb(0x22303C));
    Paint::stroke(cr, frame, 4);
    Paint::fillRoundedRect(cr, 8, 8, W - 16, H - 16, 8, Rgb(0x0C1218));
    for (double y = 10; y < H - 10; y += 3) { // a hint of screen lines
        cairo_rectangle(cr, 9, y, W - 18, 1);
    }
    Paint::fill(cr, kWhite, 0.035);

    // which dialect this is, in the top corner
    TextStyle tag;
    tag.family = kMonoFamily;
    tag.size = 10;
    tag.colour = kWhite;
    const char* name = dialect == 0 ? "jam" : "latte";
    const TextExtent tagSize = Paint::measure(cr, name, tag);
    Paint::fillRoundedRect(cr, 12, 11, tagSize.width + 10, 14, 5, frame);
    Paint::text(cr, name, tag, 17, 18, 0, Align::left);

    // The code, in the board's own pixel font, as on the board's screen.
    // Font pixels are whole picture pixels (multiples of half a unit).
    const std::vector<std::string> lines = splitLines(facts.code[dialect]);
    constexpr double kLeftLimit = 14, kRightLimit = W - 14;
    constexpr double kMaxPixel = 2.5;
    constexpr double kCellUnits = PixelFont::kCell;
    auto snap = [](double v) { return std::floor(v * kPixelsPerUnit + 0.5) / kPixelsPerUnit; };
    auto floorPixel = [](double v) { return std::floor(v * kPixelsPerUnit) / kPixelsPerUnit; };
    auto drawLine = [&](const std::string& text, double left, double cy, double pixel) {
        cairo_set_source_rgb(cr, textColour.r, textColour.g, textColour.b);
        // the glyph body (rows 0 to 6) is centred on cy
        // thin font pixels get one picture pixel more weight, so small code stays readable
        const double bold = pixel < 2 ? 1.0 / kPixelsPerUnit : 0;
        PixelFont::draw(cr, text, snap(left), snap(cy - 3.5 * pixel), pixel, bold);
    };

    const bool number = facts.numberCard[dialect] && facts.inputBoxes[dialect].size() >= 3;
    std::size_t atLine = lines.size();
    for (std::size_t i = 0; number && i < lines.size(); ++i)
        if (lines[i].find('@') != std::string::npos)
            atLine = i;

    if (atLine == lines.size()) {
        std::size_t longest = 1;
        for (const std::string& l : lines)
            longest = std::max(longest, l.size());
        const double pixel =
            floorPixel(std::min(kMaxPixel, (kRightLimit - kLeftLimit) / (longest * kCellUnits)));
        const double lineHeight = pixel * 10;
        const double left = W / 2 - longest * kCellUnits * pixel / 2 + pixel / 2;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const double offset = static_cast<double>(i) - (static_cast<double>(lines.size()) - 1) / 2;
            drawLine(lines[i], left, H / 2 + offset * lineHeight, pixel);
        }
    } else {
        // The number is drawn by the application into rectangle 2; the code
        // leaves exactly that place free and marks it with a box.
        const ImageBox box = onReadBack(facts.inputBoxes[dialect][2]);
        constexpr double kGap = 2;
        const std::string& line = lines[atLine];
        const std::size_t at = line.find('@');
        const std::string prefix = line.substr(0, at);
        const std::string suffix = line.substr(at + 1);
        double pixel = kMaxPixel;
        if (!prefix.empty())
            pixel = std::min(pixel, (box.left - kGap - kLeftLimit) / (prefix.size() * kCellUnits));
        if (!suffix.empty())
            pixel = std::min(pixel, (kRightLimit - box.right() - kGap) / (suffix.size() * kCellUnits));
        pixel = floorPixel(pixel);
        const double advance = kCellUnits * pixel;
        const double left = box.left - kGap - prefix.size() * advance;
        const double lineHeight = std::max(pixel * 10, box.h / 2 + pixel * 5 + 2);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const double cy = box.cy() + (static_cast<double>(i) - static_cast<double>(atLine)) * lineHeight;
            if (i != atLine) {
                drawLine(lines[i], left, cy, pixel);
                continue;
            }
            drawLine(prefix, left, cy, pixel);
            drawLine(suffix, box.right() + kGap, cy, pixel);
        }
        Paint::roundedRect(cr, box.left - 1, box.top - 1, box.w + 2, box.h + 2, 4);
        Paint::fillPreserve(cr, Rgb(0xFFF6DC));
        Paint::stroke(cr, frame, 1.5);
    }
    dogEar(cr, frame.mix(kWhite, 0.3), frame);
}

void CardPainter::mirror(const Canvas& source, Canvas& target) {
    cairo_t* cr = target.cr();
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_translate(cr, cairo_image_surface_get_width(source.surface()), 0);
    cairo_scale(cr, -1, 1);
    cairo_set_source_surface(cr, source.surface(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
}

void CardPainter::flickCorner(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double s = canvas.width();
    // a big folded flap over the card's lower right corner
    cairo_move_to(cr, 0, s);
    cairo_line_to(cr, s, 0);
    cairo_line_to(cr, s, s);
    cairo_close_path(cr);
    Paint::fill(cr, Rgb(0x69D0EE), 0.85);
    cairo_move_to(cr, 2, s - 2);
    cairo_line_to(cr, s - 2, 2);
    cairo_line_to(cr, 6, 6);
    cairo_close_path(cr);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, Rgb(0x1E88E5), 2);
    Paint::arcArrow(cr, s * 0.72, s * 0.72, s * 0.16, -kPi * 0.9, kPi * 0.4, 2.5, 6, Rgb(0x1E2A38));
}

} // namespace pavlune::artgen
