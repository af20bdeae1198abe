#include "print/ProgramPdf.h"

#include "catalogue/CatalogueView.h"
#include "engine/base/FileUtils.h"
#include "program/CardNumberRule.h"

#include <algorithm>
#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <map>
#include <memory>
#include <optional>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>
#include <utility>
#include <vector>

namespace pavlune {

namespace {

constexpr double kPoint = 72.0 / 25.4; // points per millimetre
constexpr double kMargin = 10 * kPoint;
constexpr double kHeaderHeight = 14 * kPoint;
constexpr double kCardWidth = ProgramPdf::kCardWidthMm * kPoint;
constexpr double kCardHeight = ProgramPdf::kCardHeightMm * kPoint;
// The card pictures' design size; input rectangles are given in its units.
constexpr double kDesignCardWidth = 200;
constexpr double kUnit = kCardWidth / kDesignCardWidth;
// A row: its number's column, then the card, then the gap to the next row.
constexpr double kNumberColumn = 26 * kPoint;
constexpr double kRowGap = 6 * kPoint;
constexpr double kRowPitch = kCardHeight + kRowGap;
constexpr double kRowWidth = kNumberColumn + kCardWidth + 4 * kPoint;

constexpr const char* kBoardFontFile = "fonts/PavluneBoard-1.2.ttf";
constexpr const char* kBoardFamily = "PavluneBoard";
constexpr const char* kWordsFamily = "Noto Sans CJK JP";
constexpr const char* kRowsHeading = "カードの ならびかた";
constexpr const char* kCutOutHeading = "きりとる カード（てんせんに そって きってね）";

struct PrintedCard {
    int cardSet = 0;
    int cardIndex = 0;
    std::string value;
};

// The row's card: the editor holds one per row.
std::optional<PrintedCard> cardOf(const FieldRow& row) {
    for (const std::optional<CardSlot>& slot : row) {
        if (slot) {
            return PrintedCard{slot->cardSet, slot->cardIndex, slot->value};
        }
    }
    return std::nullopt;
}

template <typename T, void (*Free)(T*)> struct Freer {
    void operator()(T* p) const { Free(p); }
};
template <typename T, void (*Free)(T*)> using Owned = std::unique_ptr<T, Freer<T, Free>>;
using OwnedSurface = Owned<cairo_surface_t, cairo_surface_destroy>;
using OwnedCairo = Owned<cairo_t, cairo_destroy>;
using OwnedFontConfig = Owned<FcConfig, FcConfigDestroy>;
using OwnedFont = Owned<PangoFontDescription, pango_font_description_free>;
struct GObjectFreer {
    void operator()(void* p) const { g_object_unref(p); }
};
template <typename T> using OwnedObject = std::unique_ptr<T, GObjectFreer>;

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// One printout being drawn: the PDF surface, the fonts and the pictures.
class Sheets {
public:
    Sheets(PaperSize paper, std::string& pdf) : paper_(paper) {
        surface_.reset(cairo_pdf_surface_create_for_stream(appendTo, &pdf, paper.width, paper.height));
        cr_.reset(cairo_create(surface_.get()));
    }

    // Fonts of its own, so the board font is found whoever else uses pango.
    bool loadFonts(std::string& error) {
        const std::string boardFont = engine::FileUtils::getInstance()->fullPathForFilename(kBoardFontFile);
        fonts_.reset(FcInitLoadConfigAndFonts());
        if (boardFont.empty() || !fonts_ ||
            !FcConfigAppFontAddFile(fonts_.get(), reinterpret_cast<const FcChar8*>(boardFont.c_str()))) {
            error = std::string(kBoardFontFile) + ": cannot load the font";
            return false;
        }
        fontMap_.reset(pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT));
        if (!fontMap_) {
            error = "pango has no FreeType font map";
            return false;
        }
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap_.get()), fonts_.get());
        context_.reset(pango_font_map_create_context(fontMap_.get()));
        return true;
    }

    void setTitle(const std::string& title) {
        cairo_pdf_surface_set_metadata(surface_.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
    }

    // The picture of a resource, loaded once; null (with `error`) when missing.
    cairo_surface_t* picture(const std::string& resource, std::string& error) {
        auto found = pictures_.find(resource);
        if (found == pictures_.end()) {
            const std::string path = engine::FileUtils::getInstance()->fullPathForFilename(resource);
            OwnedSurface image(path.empty() ? nullptr : cairo_image_surface_create_from_png(path.c_str()));
            if (image && cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) {
                image.reset();
            }
            found = pictures_.emplace(resource, std::move(image)).first;
        }
        if (!found->second) {
            error = resource + ": cannot read the card picture";
        }
        return found->second.get();
    }

    // Text centred on (x, y), `size` points high, at most `maxWidth` wide.
    void text(const std::string& words, const char* family, double size, double x, double y, double maxWidth,
              bool bold = false) {
        OwnedFont font(pango_font_description_new());
        pango_font_description_set_family(font.get(), family);
        pango_font_description_set_weight(font.get(), bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_cairo_update_context(cr_.get(), context_.get());
        OwnedObject<PangoLayout> layout(pango_layout_new(context_.get()));
        pango_layout_set_text(layout.get(), words.c_str(), -1);
        PangoRectangle ink{};
        PangoRectangle logical{};
        for (double fitted = size;; fitted *= 0.9) {
            pango_font_description_set_absolute_size(font.get(), fitted * PANGO_SCALE);
            pango_layout_set_font_description(layout.get(), font.get());
            pango_layout_get_extents(layout.get(), &ink, &logical);
            if (logical.width <= maxWidth * PANGO_SCALE || fitted < 2) {
                break;
            }
        }
        // Centred on the ink, so digits sit in the middle of their box.
        cairo_move_to(cr_.get(), x - (ink.x + ink.width / 2.0) / PANGO_SCALE,
                      y - (ink.y + ink.height / 2.0) / PANGO_SCALE);
        pango_cairo_show_layout(cr_.get(), layout.get());
    }

    // The card's picture at real size with its top left at (x, y) and the
    // number typed on it in its boxes, as the editor shows the front.
    bool card(const PrintedCard& card, double x, double y, std::string& error) {
        cairo_surface_t* image = picture(view_.getCardFaceImage(card.cardIndex, card.cardSet), error);
        if (!image) {
            return false;
        }
        cairo_t* cr = cr_.get();
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, kCardWidth / cairo_image_surface_get_width(image),
                    kCardHeight / cairo_image_surface_get_height(image));
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);

        const std::vector<engine::Rect> boxes = view_.getInputRects(card.cardIndex, card.cardSet);
        const bool shown = CardNumberRule::forCard(card.cardSet, card.cardIndex).check(card.value) ==
                           CardNumberRule::Problem::none;
        if (boxes.size() < 2 || !shown) {
            return true;
        }
        cairo_set_source_rgb(cr, 0, 0, 0);
        // The large box and the small one on the caption line; the third is the back's.
        for (std::size_t i = 0; i < 2; ++i) {
            const engine::Rect& box = boxes[i];
            text(card.value, kBoardFamily, box.size.height * kUnit * 0.8,
                 x + kCardWidth / 2 + box.origin.x * kUnit, y + kCardHeight / 2 - box.origin.y * kUnit,
                 box.size.width * kUnit * 0.9);
        }
        return true;
    }

    void heading(const std::string& title, const std::string& part, int page, int pages) {
        cairo_t* cr = cr_.get();
        cairo_set_source_rgb(cr, 0, 0, 0);
        const double middle = kMargin + kHeaderHeight / 2 - 2 * kPoint;
        const double width = paper_.width - 2 * kMargin;
        text(title, kWordsFamily, 5 * kPoint, kMargin + width * 0.3, middle, width * 0.6, true);
        text(part + "  " + std::to_string(page) + " / " + std::to_string(pages), kWordsFamily, 3.5 * kPoint,
             kMargin + width * 0.8, middle, width * 0.4);
        cairo_set_line_width(cr, 0.8);
        cairo_move_to(cr, kMargin, kMargin + kHeaderHeight - 3 * kPoint);
        cairo_line_to(cr, paper_.width - kMargin, kMargin + kHeaderHeight - 3 * kPoint);
        cairo_stroke(cr);
    }

    // A row: a plate with the line number, and the card or an empty slot.
    bool row(int lineNumber, const std::optional<PrintedCard>& card, double y, std::string& error) {
        cairo_t* cr = cr_.get();
        // The rows in the middle of the sheet.
        const double left = (paper_.width - kRowWidth) / 2;
        const double cardX = left + kNumberColumn;
        cairo_set_line_width(cr, 0.8);
        cairo_rectangle(cr, left, y - 2 * kPoint, kRowWidth, kCardHeight + 4 * kPoint);
        cairo_set_source_rgb(cr, 0.93, 0.93, 0.93);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
        cairo_stroke(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        text(std::to_string(lineNumber), kBoardFamily, 9 * kPoint, left + kNumberColumn / 2,
             y + kCardHeight / 2, kNumberColumn - 4 * kPoint);
        if (card) {
            return this->card(*card, cardX, y, error);
        }
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_rectangle(cr, cardX, y, kCardWidth, kCardHeight);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.55, 0.55, 0.55);
        cairo_stroke(cr);
        return true;
    }

    // Dashed lines along every edge of a grid of cards, running past it so a
    // cut can start from the paper's edge of the block.
    void cuttingLines(double left, double top, int columns, int rows) {
        cairo_t* cr = cr_.get();
        const double overrun = 4 * kPoint;
        const double dashes[] = {3 * kPoint, 1.5 * kPoint};
        cairo_save(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_set_line_width(cr, 0.6);
        cairo_set_dash(cr, dashes, 2, 0);
        for (int c = 0; c <= columns; ++c) {
            cairo_move_to(cr, left + c * kCardWidth, top - overrun);
            cairo_line_to(cr, left + c * kCardWidth, top + rows * kCardHeight + overrun);
        }
        for (int r = 0; r <= rows; ++r) {
            cairo_move_to(cr, left - overrun, top + r * kCardHeight);
            cairo_line_to(cr, left + columns * kCardWidth + overrun, top + r * kCardHeight);
        }
        cairo_stroke(cr);
        cairo_restore(cr);
    }

    void endPage() { cairo_show_page(cr_.get()); }

    bool finish(std::string& error) {
        cr_.reset();
        cairo_surface_finish(surface_.get());
        const cairo_status_t status = cairo_surface_status(surface_.get());
        if (status != CAIRO_STATUS_SUCCESS) {
            error = std::string("cairo: ") + cairo_status_to_string(status);
            return false;
        }
        return true;
    }

private:
    PaperSize paper_;
    // Only the face pictures and input boxes are read: the same in every dialect.
    CatalogueView view_{jam, basic};
    OwnedSurface surface_;
    OwnedCairo cr_;
    OwnedFontConfig fonts_;
    OwnedObject<PangoFontMap> fontMap_;
    OwnedObject<PangoContext> context_;
    std::map<std::string, OwnedSurface> pictures_;
};

} // namespace

bool ProgramPdf::isAvailable() {
    return true;
}

bool ProgramPdf::write(const FieldRows& rows, const std::string& title, PaperSize paper, std::string& pdf,
                       std::string& error) {
    pdf.clear();
    // Rows after the last card are left out; an empty row before it is part
    // of the program's shape and is printed as an empty slot.
    std::vector<std::optional<PrintedCard>> cards;
    std::vector<PrintedCard> cutOuts;
    for (const FieldRow& row : rows) {
        cards.push_back(cardOf(row));
        if (cards.back()) {
            cutOuts.push_back(*cards.back());
        }
    }
    while (!cards.empty() && !cards.back()) {
        cards.pop_back();
    }

    const double top = kMargin + kHeaderHeight;
    const double usableWidth = paper.width - 2 * kMargin;
    const double usableHeight = paper.height - top - kMargin;
    const int rowsPerPage = std::max(1, static_cast<int>((usableHeight + kRowGap) / kRowPitch));
    const int columns = std::max(1, static_cast<int>(usableWidth / kCardWidth));
    const int cutRows = std::max(1, static_cast<int>(usableHeight / kCardHeight));
    const int perCutPage = columns * cutRows;
    const int rowPages = std::max(1, (static_cast<int>(cards.size()) + rowsPerPage - 1) / rowsPerPage);
    const int cutPages = (static_cast<int>(cutOuts.size()) + perCutPage - 1) / perCutPage;

    Sheets sheets(paper, pdf);
    if (!sheets.loadFonts(error)) {
        return false;
    }
    sheets.setTitle(title);
    for (int page = 0; page < rowPages; ++page) {
        sheets.heading(title, kRowsHeading, page + 1, rowPages);
        const int first = page * rowsPerPage;
        const int end = std::min(static_cast<int>(cards.size()), first + rowsPerPage);
        for (int i = first; i < end; ++i) {
            if (!sheets.row(10 * (i + 1), cards[static_cast<std::size_t>(i)], top + (i - first) * kRowPitch,
                            error)) {
                return false;
            }
        }
        sheets.endPage();
    }
    const double left = kMargin + (usableWidth - columns * kCardWidth) / 2;
    for (int page = 0; page < cutPages; ++page) {
        sheets.heading(title, kCutOutHeading, page + 1, cutPages);
        const int first = page * perCutPage;
        const int count = std::min(static_cast<int>(cutOuts.size()) - first, perCutPage);
        for (int i = 0; i < count; ++i) {
            const int column = i % columns;
            const int gridRow = i / columns;
            const PrintedCard& card =
                cutOuts.at(static_cast<std::size_t>(first) + static_cast<std::size_t>(i));
            if (!sheets.card(card, left + column * kCardWidth, top + gridRow * kCardHeight, error)) {
                return false;
            }
        }
        // Only as many grid rows as hold cards, the last one full width.
        sheets.cuttingLines(left, top, columns, (count + columns - 1) / columns);
        sheets.endPage();
    }
    return sheets.finish(error);
}

} // namespace pavlune
