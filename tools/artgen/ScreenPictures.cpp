#include "tools/artgen/CardPainter.h"
#include "tools/artgen/Paint.h"
#include "tools/artgen/PictureTable.h"

#include <cmath>
#include <string>

namespace pavlune::artgen {

namespace {

constexpr Rgb kTheme(0x69D0EE); // the application's blue, (105, 208, 238)
constexpr Rgb kDeepBlue(0x0B6E99);
constexpr Rgb kInk(0x1E2A38);
constexpr Rgb kWhite(0xFFFFFF);
constexpr Rgb kGreen(0x2E9D4F);
constexpr Rgb kRed(0xE53935);
constexpr Rgb kQue(0x2E9D4F);

TextStyle style(double size, const Rgb& colour, int weight = 700) {
    TextStyle s;
    s.size = size;
    s.colour = colour;
    s.weight = weight;
    return s;
}

// A pill button with a label; `filled` chooses a solid or an outlined look.
void pill(Canvas& c, const Rgb& colour, bool filled, const std::string& label, double textSize) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 2, 2, w - 4, h - 4, h / 2 - 2);
    Paint::fillPreserve(cr, filled ? colour : kWhite);
    Paint::stroke(cr, filled ? colour.mix(kInk, 0.3) : colour, 3);
    Paint::text(cr, label, style(textSize, filled ? kWhite : colour, 900), w / 2, h / 2, w - 24);
}

// "_on" is the bright look: the dialect shown on the toggle, and in the
// chooser the dialects one can switch to; the plain look is outlined.
void dialectButton(Canvas& c, const Rgb& colour, const char* name, bool bright) {
    pill(c, colour, bright, name, 26);
}

void tab(Canvas& c, const std::string& label, bool selected) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 1, 1, w - 2, h + 12, 10); // bottom corners hidden below the picture
    Paint::fillPreserve(cr, selected ? kWhite : kDeepBlue);
    Paint::stroke(cr, selected ? kWhite : kDeepBlue.mix(kWhite, 0.25), 2);
    Paint::text(cr, label, style(selected ? 18 : 16, selected ? kDeepBlue : kWhite, 900), w / 2, h / 2 + 1,
                w - 10);
}

void chevronButton(Canvas& c, bool up) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 2, 2, w - 4, h - 4, h / 2 - 2);
    Paint::fillPreserve(cr, kWhite, 0.9);
    Paint::stroke(cr, kTheme, 2.5);
    const double dy = up ? -5 : 5;
    cairo_move_to(cr, w / 2 - 18, h / 2 - dy);
    cairo_line_to(cr, w / 2, h / 2 + dy);
    cairo_line_to(cr, w / 2 + 18, h / 2 - dy);
    Paint::stroke(cr, kDeepBlue, 5);
}

void trash(Canvas& c, bool open) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    const Rgb colour = open ? kRed : Rgb(0x546E7A);
    Paint::circle(cr, s / 2, s / 2, s / 2 - 2);
    Paint::fill(cr, open ? Rgb(0xFFE3E3) : Rgb(0xE3F6FC), 0.95);
    // can
    cairo_move_to(cr, s * 0.3, s * 0.38);
    cairo_line_to(cr, s * 0.7, s * 0.38);
    cairo_line_to(cr, s * 0.66, s * 0.8);
    cairo_line_to(cr, s * 0.34, s * 0.8);
    cairo_close_path(cr);
    Paint::fillPreserve(cr, colour);
    Paint::stroke(cr, colour.mix(kInk, 0.3), 2);
    for (int i = -1; i <= 1; ++i) {
        cairo_move_to(cr, s * (0.5 + 0.09 * i), s * 0.46);
        cairo_line_to(cr, s * (0.5 + 0.08 * i), s * 0.72);
        Paint::stroke(cr, kWhite, 3);
    }
    // lid: lifted and tilted when a card is over the trash
    cairo_save(cr);
    if (open) {
        cairo_translate(cr, s * 0.28, s * 0.33);
        cairo_rotate(cr, -0.45);
        cairo_translate(cr, -s * 0.28, -s * 0.33);
        cairo_translate(cr, 0, -s * 0.06);
    }
    Paint::fillRoundedRect(cr, s * 0.26, s * 0.29, s * 0.48, s * 0.07, 3, colour);
    Paint::fillRoundedRect(cr, s * 0.43, s * 0.23, s * 0.14, s * 0.07, 3, colour);
    cairo_restore(cr);
}

void roundButton(Canvas& c, const Rgb& colour, bool plus) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    Paint::circle(cr, s / 2, s / 2, s / 2 - 2);
    Paint::fillPreserve(cr, colour);
    Paint::stroke(cr, kWhite, 2.5);
    cairo_move_to(cr, s * 0.27, s / 2);
    cairo_line_to(cr, s * 0.73, s / 2);
    if (plus) {
        cairo_move_to(cr, s / 2, s * 0.27);
        cairo_line_to(cr, s / 2, s * 0.73);
    }
    Paint::stroke(cr, kWhite, 5);
}

void spinner(Canvas& c) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    // eight dots: turned by 45 degrees a step, the fading tail seems to run
    for (int i = 0; i < 8; ++i) {
        const double a = -kPi / 2 + i * kPi / 4;
        Paint::circle(cr, s / 2 + std::cos(a) * s * 0.36, s / 2 + std::sin(a) * s * 0.36, s * 0.085);
        Paint::fillPreserve(cr, kTheme, 0.25 + 0.75 * (8 - i) / 8.0);
        Paint::stroke(cr, kWhite, 1.5, 0.25 + 0.75 * (8 - i) / 8.0);
    }
}

void gear(cairo_t* cr, double cx, double cy, double r, const Rgb& colour) {
    cairo_new_path(cr);
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = i * kPi / teeth, a1 = (i + 1) * kPi / teeth;
        const double rr = i % 2 == 0 ? r : r * 0.78;
        cairo_arc(cr, cx, cy, rr, a0, a1);
    }
    cairo_close_path(cr);
    Paint::circle(cr, cx, cy, r * 0.35);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    Paint::fill(cr, colour);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

void reloadIcon(Canvas& c) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    Paint::circle(cr, s / 2, s / 2, s / 2 - 1.5);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, kDeepBlue, 2);
    Paint::arcArrow(cr, s / 2, s / 2, s * 0.27, kPi * 0.95, kPi * 1.95, 3.5, 7, kDeepBlue);
    Paint::arcArrow(cr, s / 2, s / 2, s * 0.27, -kPi * 0.05, kPi * 0.95, 3.5, 7, kDeepBlue);
}

void portLabel(Canvas& c) {
    cairo_t* cr = c.cr();
    const double h = c.height();
    // a plug on its cable
    cairo_move_to(cr, 4, h / 2);
    cairo_line_to(cr, 16, h / 2);
    Paint::stroke(cr, kWhite, 4);
    Paint::fillRoundedRect(cr, 14, h / 2 - 10, 18, 20, 4, kWhite);
    Paint::fillRoundedRect(cr, 32, h / 2 - 6, 8, 12, 2, kWhite);
    Paint::text(cr, "ポート", style(20, kWhite, 900), 46, h / 2, c.width() - 50, Align::left);
}

void playButton(Canvas& c) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    Paint::circle(cr, s / 2, s / 2, s / 2 - 3);
    Paint::fillPreserve(cr, kGreen);
    Paint::stroke(cr, kWhite, 4);
    cairo_move_to(cr, s * 0.38, s * 0.2);
    cairo_line_to(cr, s * 0.72, s * 0.42);
    cairo_line_to(cr, s * 0.38, s * 0.64);
    cairo_close_path(cr);
    Paint::fill(cr, kWhite);
    Paint::text(cr, "じっこう", style(15, kWhite, 900), s / 2, s * 0.79, s * 0.7);
}

void stopButton(Canvas& c) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 2, 2, w - 4, h - 4, h / 2 - 2);
    Paint::fillPreserve(cr, kRed);
    Paint::stroke(cr, kWhite, 3);
    Paint::fillRoundedRect(cr, 20, h / 2 - 11, 22, 22, 4, kWhite);
    Paint::text(cr, "とめる", style(20, kWhite, 900), 50, h / 2, w - 58, Align::left);
}

// Undo (arrow turning back to the left) and redo (its mirror image), in the
// back button's white-and-blue look.
void historyButton(Canvas& c, bool undo) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 2, 2, w - 4, h - 4, 14);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, kDeepBlue, 2.5);
    const double cx = w / 2, cy = h * 0.42, r = h * 0.2;
    if (undo) {
        Paint::arcArrow(cr, cx, cy, r, kPi * 0.25, -kPi, 3.5, 8, kDeepBlue);
    } else {
        Paint::arcArrow(cr, cx, cy, r, kPi * 0.75, kPi * 2, 3.5, 8, kDeepBlue);
    }
    Paint::text(cr, undo ? "とりけす" : "やりなおす", style(10, kDeepBlue, 900), w / 2, h * 0.8, w - 8);
}

void playerPanel(Canvas& c) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 2, 2, w + 30, h - 4, 24); // right side runs off the screen edge
    Paint::fillPreserve(cr, kWhite, 0.94);
    Paint::stroke(cr, kTheme, 4);
    Paint::text(cr, "ことば", style(14, kDeepBlue), w / 2 + 5, h / 2 - 165, w - 20);
    Paint::text(cr, "ボード", style(14, kDeepBlue), w / 2 + 5, h / 2 - 62, w - 20);
}

void backButton(Canvas& c) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 2, 2, w - 4, h - 4, 14);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, kDeepBlue, 2.5);
    cairo_move_to(cr, 22, h / 2 - 9);
    cairo_line_to(cr, 12, h / 2);
    cairo_line_to(cr, 22, h / 2 + 9);
    Paint::stroke(cr, kDeepBlue, 4);
    Paint::text(cr, "もどる", style(17, kDeepBlue, 900), 29, h / 2, w - 34, Align::left);
}

// A sheet with text lines: the program written out.
void sheetIcon(cairo_t* cr, double x, double y, double w, double h, const Rgb& ink, const Rgb& paper) {
    Paint::roundedRect(cr, x, y, w, h, 3);
    Paint::fillPreserve(cr, paper);
    Paint::stroke(cr, ink, 2.5);
    for (int i = 0; i < 3; ++i) {
        const double ly = y + h * (0.3 + 0.2 * i);
        cairo_move_to(cr, x + w * 0.22, ly);
        cairo_line_to(cr, x + w * (i == 2 ? 0.55 : 0.78), ly);
    }
    Paint::stroke(cr, ink, 2);
}

void programButton(Canvas& c) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 2, 2, w - 4, h - 4, 14);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, kDeepBlue, 2.5);
    sheetIcon(cr, 11, h / 2 - 14, 22, 28, kDeepBlue, kWhite);
    Paint::text(cr, "コード", style(18, kDeepBlue, 900), 40, h / 2, w - 46, Align::left);
}

void copyButton(Canvas& c) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 2, 2, w - 4, h - 4, h / 2 - 2);
    Paint::fillPreserve(cr, kDeepBlue);
    Paint::stroke(cr, kWhite, 3);
    sheetIcon(cr, 18, h / 2 - 14, 18, 23, kWhite, kDeepBlue);
    sheetIcon(cr, 25, h / 2 - 8, 18, 23, kWhite, kDeepBlue);
    Paint::text(cr, "コピー", style(18, kWhite, 900), 52, h / 2, w - 60, Align::left);
}

void cornerTab(Canvas& c, bool bottomLeft) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    // rounded only on the corner that faces the screen; the others meet the edges
    if (bottomLeft)
        Paint::roundedRect(cr, 0, -20, w + 20, h + 20, 18);
    else
        Paint::roundedRect(cr, 0, 0, w + 20, h + 20, 18);
    Paint::fill(cr, kTheme);
}

void bigButton(Canvas& c, const Rgb& colour, bool filled, const std::string& label) {
    pill(c, colour, filled, label, 26);
}

void newProgramPicture(Canvas& c) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    Paint::roundedRect(cr, 4, 4, s - 8, s - 8, 24);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, kWhite.mix(kTheme, 0.6), 4);
    for (int i = 0; i < 6; ++i) { // the rows of an empty field
        const double y = 34 + i * 38;
        Paint::fillRoundedRect(cr, 30, y, 38, 30, 6, Rgb(0xDDF3FB));
        Paint::fillRoundedRect(cr, 74, y, s - 104, 30, 6, Rgb(0xF1F5F8));
    }
    Paint::circle(cr, s / 2, s / 2, 62);
    Paint::fillPreserve(cr, kTheme);
    Paint::stroke(cr, kWhite, 6);
    cairo_move_to(cr, s / 2 - 30, s / 2);
    cairo_line_to(cr, s / 2 + 30, s / 2);
    cairo_move_to(cr, s / 2, s / 2 - 30);
    cairo_line_to(cr, s / 2, s / 2 + 30);
    Paint::stroke(cr, kWhite, 14);
}

// A saved program whose picture is missing: an empty field, numbered rows and
// nothing on them, so it never looks like the start-new entry (no plus sign).
void emptyProgramPicture(Canvas& c) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    Paint::roundedRect(cr, 4, 4, s - 8, s - 8, 24);
    Paint::fillPreserve(cr, kWhite);
    Paint::stroke(cr, kWhite.mix(kTheme, 0.6), 4);
    for (int i = 0; i < 6; ++i) {
        const double y = 34 + i * 38;
        Paint::fillRoundedRect(cr, 30, y, 38, 30, 6, Rgb(0xDDF3FB));
        Paint::text(cr, std::to_string(i + 1), style(18, kDeepBlue), 49, y + 15, 30);
        Paint::roundedRect(cr, 76, y + 1, s - 108, 28, 6);
        Paint::fillPreserve(cr, Rgb(0xF4F7FA));
        const double dash[] = {6, 5};
        cairo_set_dash(cr, dash, 2, 0);
        Paint::stroke(cr, Rgb(0xB0BEC5), 1.5);
        cairo_set_dash(cr, nullptr, 0, 0);
    }
}

void selectionMark(Canvas& c) {
    cairo_t* cr = c.cr();
    const double s = c.width();
    const Rgb gold(0xFFB300);
    Paint::roundedRect(cr, 7, 7, s - 14, s - 14, 28);
    Paint::stroke(cr, gold, 12);
    Paint::circle(cr, s - 26, 26, 22);
    Paint::fillPreserve(cr, gold);
    Paint::stroke(cr, kWhite, 4);
    cairo_move_to(cr, s - 37, 26);
    cairo_line_to(cr, s - 29, 35);
    cairo_line_to(cr, s - 14, 17);
    Paint::stroke(cr, kWhite, 6);
}

void alertWindow(Canvas& c) {
    cairo_t* cr = c.cr();
    const double w = c.width(), h = c.height();
    Paint::roundedRect(cr, 4, 4, w - 8, h - 8, 30);
    Paint::fillPreserve(cr, Rgb(0xFFE9F0));
    Paint::stroke(cr, Rgb(0xF06292), 7);
    Paint::roundedRect(cr, 18, 18, w - 36, h - 36, 20);
    Paint::stroke(cr, kWhite, 3);
}

} // namespace

void ScreenPictures::appendTo(std::vector<PictureEntry>& e) {
    const Rgb jam = CardPainter::dialectColour(0), latte = CardPainter::dialectColour(1);
    e.push_back({"res/r_to_jam.png", 120, 60, "dialect button jam, plain (outlined)",
                 [=](Canvas& c) { dialectButton(c, jam, "jam", false); }});
    e.push_back({"res/r_to_jam_on.png", 120, 60, "dialect button jam, bright",
                 [=](Canvas& c) { dialectButton(c, jam, "jam", true); }});
    e.push_back({"res/r_to_latte.png", 120, 60, "dialect button latte, plain (outlined)",
                 [=](Canvas& c) { dialectButton(c, latte, "latte", false); }});
    e.push_back({"res/r_to_latte_on.png", 120, 60, "dialect button latte, bright",
                 [=](Canvas& c) { dialectButton(c, latte, "latte", true); }});
    e.push_back({"res/r_to_que.png", 120, 60, "dialect button que, plain (outlined)",
                 [](Canvas& c) { dialectButton(c, kQue, "que", false); }});
    e.push_back({"res/r_to_que_on.png", 120, 60, "dialect button que, bright",
                 [](Canvas& c) { dialectButton(c, kQue, "que", true); }});

    const char* tabNames[3][2] = {{"basic", "きほん"}, {"paprika", "パプリカ"}, {"full", "フル"}};
    for (const auto& t : tabNames) {
        const std::string label = t[1];
        e.push_back({std::string("res/cards/r_") + t[0] + "_on.png", 85, 43,
                     std::string("card-set tab ") + t[0] + ", chosen",
                     [=](Canvas& c) { tab(c, label, true); }});
        e.push_back({std::string("res/cards/r_") + t[0] + "_off.png", 85, 43,
                     std::string("card-set tab ") + t[0] + ", not chosen",
                     [=](Canvas& c) { tab(c, label, false); }});
    }

    e.push_back({"res/menuup.png", 160, 30, "palette: scroll towards the first cards",
                 [](Canvas& c) { chevronButton(c, true); }});
    e.push_back({"res/menudown.png", 160, 30, "palette: scroll towards the last cards",
                 [](Canvas& c) { chevronButton(c, false); }});
    e.push_back({"res/r_card_num.png", 40, 40, "palette: count badge left of each card", [](Canvas& c) {
                     Paint::circle(c.cr(), 20, 20, 18);
                     Paint::fillPreserve(c.cr(), Rgb(0x0B6E99));
                     Paint::stroke(c.cr(), kWhite, 3);
                 }});
    e.push_back({"res/r_card_clean.png", 100, 100, "trash", [](Canvas& c) { trash(c, false); }});
    e.push_back({"res/r_card_clean_on.png", 100, 100, "trash with a card over it",
                 [](Canvas& c) { trash(c, true); }});
    e.push_back({"res/r_card_flick.png", 40, 40, "turn-over corner of a card, shown while pressed",
                 [](Canvas& c) { CardPainter::flickCorner(c); }});
    e.push_back({"res/r_empty.png", 200, 110, "number editor: background of the edit box", [](Canvas& c) {
                     Paint::roundedRect(c.cr(), 2, 2, c.width() - 4, c.height() - 4, 14);
                     Paint::fillPreserve(c.cr(), kWhite, 0.3);
                     Paint::stroke(c.cr(), kTheme, 3);
                 }});

    e.push_back({"res/r_field.png", 230, 130, "field row slot (light: an occupied row is tinted dark)",
                 [](Canvas& c) {
                     cairo_t* cr = c.cr();
                     Paint::roundedRect(cr, 2, 3, c.width() - 4, c.height() - 6, 14);
                     Paint::fillPreserve(cr, Rgb(0xF4F7FA));
                     const double dash[] = {8, 6};
                     cairo_set_dash(cr, dash, 2, 0);
                     Paint::stroke(cr, Rgb(0xB0BEC5), 2.5);
                     cairo_set_dash(cr, nullptr, 0, 0);
                     Paint::text(cr, "カードを おいてね", style(15, Rgb(0xB0BEC5)), 105, c.height() / 2, 160);
                 }});
    e.push_back({"res/r_field_no.png", 80, 130, "field row number plate", [](Canvas& c) {
                     Paint::roundedRect(c.cr(), 3, 3, c.width() - 6, c.height() - 6, 12);
                     Paint::fillPreserve(c.cr(), Rgb(0xDDF3FB));
                     Paint::stroke(c.cr(), kTheme, 2.5);
                 }});
    e.push_back({"res/r_btn_add.png", 40, 40, "field: insert an empty row here",
                 [](Canvas& c) { roundButton(c, kGreen, true); }});
    e.push_back({"res/r_btn_delete.png", 40, 40, "field: delete this row",
                 [](Canvas& c) { roundButton(c, Rgb(0xEF6C00), false); }});

    e.push_back({"res/r_player.png", 150, 400, "run controls: panel behind dialect, play and stop",
                 [](Canvas& c) { playerPanel(c); }});
    e.push_back(
        {"res/r_play.png", 100, 100, "run the program on the board", [](Canvas& c) { playButton(c); }});
    e.push_back({"res/r_stop.png", 120, 60, "stop the board (also on the sending overlay)",
                 [](Canvas& c) { stopButton(c); }});
    e.push_back({"res/r_undo.png", 60, 50, "undo the last edit (dimmed when there is none)",
                 [](Canvas& c) { historyButton(c, true); }});
    e.push_back({"res/r_redo.png", 60, 50, "redo the edit just undone (dimmed when there is none)",
                 [](Canvas& c) { historyButton(c, false); }});
    e.push_back({"res/r_loading.png", 80, 80, "busy spinner (turned 45 degrees a step)",
                 [](Canvas& c) { spinner(c); }});
    e.push_back({"res/r_record_back.png", 110, 70, "back button: tab in the top right corner",
                 [](Canvas& c) { cornerTab(c, true); }});
    e.push_back({"res/r_record.png", 80, 50, "back button: to the list of programs",
                 [](Canvas& c) { backButton(c); }});
    e.push_back({"res/r_program.png", 110, 50,
                 "program button: the whole program as text, left of the back button",
                 [](Canvas& c) { programButton(c); }});
    e.push_back({"res/r_copy.png", 120, 50, "program panel: copy the program text",
                 [](Canvas& c) { copyButton(c); }});

    e.push_back({"res/r_port.png", 110, 50, "bottom bar: port caption", [](Canvas& c) { portLabel(c); }});
    e.push_back(
        {"res/r_port_input.png", 420, 50, "bottom bar: port status box, opens the port list", [](Canvas& c) {
             Paint::roundedRect(c.cr(), 2, 2, c.width() - 4, c.height() - 4, 12);
             Paint::fillPreserve(c.cr(), kWhite);
             Paint::stroke(c.cr(), kDeepBlue, 2);
         }});
    e.push_back(
        {"res/r_reload.png", 40, 40, "bottom bar: search the ports again", [](Canvas& c) { reloadIcon(c); }});
    e.push_back({"res/r_setting_back1.png", 90, 60, "bottom bar: settings tab above the bar",
                 [](Canvas& c) { cornerTab(c, false); }});
    e.push_back({"res/r_setting.png", 50, 50, "bottom bar: settings button (opens and closes the bar)",
                 [](Canvas& c) { gear(c.cr(), 25, 25, 22, kWhite); }});

    e.push_back({"res/r_recode_clean.png", 180, 80, "program list: delete the chosen programs",
                 [](Canvas& c) { bigButton(c, kRed, true, "けす"); }});
    e.push_back({"res/r_recode_clean_cancel.png", 180, 80, "program list: leave delete mode",
                 [](Canvas& c) { bigButton(c, Rgb(0x546E7A), false, "やめる"); }});
    e.push_back({"res/r_record_beginning.png", 285, 285, "program list: start a new program",
                 [](Canvas& c) { newProgramPicture(c); }});
    e.push_back({"res/r_record_empty.png", 285, 285, "program list: saved program without a readable picture",
                 [](Canvas& c) { emptyProgramPicture(c); }});
    e.push_back({"res/r_record_selected.png", 330, 330, "program list: selection mark around a picture",
                 [](Canvas& c) { selectionMark(c); }});
    e.push_back(
        {"res/r_save_entry_back.png", 300, 214, "program list: title edit box background", [](Canvas& c) {
             Paint::roundedRect(c.cr(), 3, 3, c.width() - 6, c.height() - 6, 18);
             Paint::fillPreserve(c.cr(), kWhite, 0.96);
             Paint::stroke(c.cr(), kDeepBlue, 4);
         }});

    e.push_back({"res/alert_window_pink.png", 640, 360, "alert window", [](Canvas& c) { alertWindow(c); }});
    e.push_back({"res/alert_window_ok.png", 240, 80, "alert OK button",
                 [](Canvas& c) { bigButton(c, Rgb(0xF06292), true, "OK"); }});
    e.push_back({"res/alert_window_cancel.png", 240, 80, "alert Cancel button",
                 [](Canvas& c) { bigButton(c, Rgb(0x78909C), false, "キャンセル"); }});
}

} // namespace pavlune::artgen
