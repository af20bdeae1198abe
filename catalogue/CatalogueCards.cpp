// The cards of each set: face picture, stem of the back pictures and the jam
// and latte code. Also builds the picture tables derived from them.
#include "catalogue/Catalogue.h"

#include <span>
#include <string_view>

namespace pavlune {

namespace {

struct CardRow {
    std::string_view face;
    std::string_view backStem;
    std::string_view jamCode;
    std::string_view latteCode;
};

// Directory of each set below res/cards/, by CardSet.
constexpr std::array<std::string_view, kCardSetCount> kSetDirectories{"basic", "pap", "full"};

constexpr std::array<CardRow, 6> kBasicCards{{
    {"res/cards/basic/r_led1.png", "led1", "LED 1", "led(1);"},
    {"res/cards/basic/r_led0.png", "led0", "LED 0", "led(0);"},
    {"res/cards/basic/r_wait1.png", "wait1", "WAIT 60", "sleep(1000);"},
    {"res/cards/basic/r_wait3.png", "wait3", "WAIT 180", "sleep(3000);"},
    {"res/cards/basic/r_loop_inf_start.png", "loop_inf_start", "@LOOP", "while(uart()==-1){"},
    {"res/cards/basic/r_loop_inf_end.png", "loop_inf_end", "GOTO @LOOP", "}"},
}};

constexpr std::array<CardRow, 15> kPaprikaCards{{
    {"res/cards/pap/r_pap_forward.png", "out33", "OUT 33", "out(33);"},
    {"res/cards/pap/r_pap_stop.png", "out0", "OUT 0", "out(0);"},
    {"res/cards/pap/r_pap_back.png", "out18", "OUT 18", "out(18);"},
    {"res/cards/pap/r_pap_left1-1.png", "out34", "OUT 34", "out(34);"},
    {"res/cards/pap/r_pap_left1-2.png", "out32", "OUT 32", "out(32);"},
    {"res/cards/pap/r_pap_left1-3.png", "out16", "OUT 16", "out(16);"},
    {"res/cards/pap/r_pap_right1-1.png", "out17", "OUT 17", "out(17);"},
    {"res/cards/pap/r_pap_right1-2.png", "out1", "OUT 1", "out(1);"},
    {"res/cards/pap/r_pap_right1-3.png", "out2", "OUT 2", "out(2);"},
    {"res/cards/pap/r_pap_left2-1.png", "pwm3_60", "PWM 3, 60", "pwm(3, 600);"},
    {"res/cards/pap/r_pap_left2-2.png", "pwm3_145", "PWM 3, 145", "pwm(3, 1450);"},
    {"res/cards/pap/r_pap_left2-3.png", "pwm3_230", "PWM 3, 230", "pwm(3, 2300);"},
    {"res/cards/pap/r_pap_right2-1.png", "pwm4_230", "PWM 4, 230", "pwm(4, 2300);"},
    {"res/cards/pap/r_pap_right2-2.png", "pwm4_145", "PWM 4, 145", "pwm(4, 1450);"},
    {"res/cards/pap/r_pap_right2-3.png", "pwm4_60", "PWM 4, 60", "pwm(4, 600);"},
}};

constexpr std::array<CardRow, 22> kFullCards{{
    {"res/cards/full/r_wait5.png", "wait5", "WAIT 300", "sleep(5000);"},
    {"res/cards/full/r_wait10.png", "wait10", "WAIT 600", "sleep(10000);"},
    {"res/cards/full/r_wait_any.png", "waita", "WAIT @", "sleep(@);"},
    {"res/cards/full/r_beep.png", "beep", "BEEP", "beep();"},
    {"res/cards/full/r_loop_3_start.png", "loop_3_start", "FOR I = 1 TO 3", "i=0;\nwhile(i<3){"},
    {"res/cards/full/r_loop_3_end.png", "loop_3_end", "NEXT", "i=i+1;\n}"},
    {"res/cards/full/r_loop_5_start.png", "loop_5_start", "FOR I = 1 TO 5", "i=0;\nwhile(i<5){"},
    {"res/cards/full/r_loop_5_end.png", "loop_5_end", "NEXT", "i=i+1;\n}"},
    {"res/cards/full/r_loop_any_start.png", "loop_any_start", "FOR I = 1 TO @", "i=0;\nwhile(i<@){"},
    {"res/cards/full/r_loop_any_end.png", "loop_any_end", "NEXT", "i=i+1;\n}"},
    {"res/cards/full/r_out1_on.png", "out1_on", "OUT 1, 1", "out(o=o|1);"},
    {"res/cards/full/r_out1_off.png", "out1_off", "OUT 1, 0", "out(o=o&~1);"},
    {"res/cards/full/r_out2_on.png", "out2_on", "OUT 2, 1", "out(o=o|2);"},
    {"res/cards/full/r_out2_off.png", "out2_off", "OUT 2, 0", "out(o=o&~2);"},
    {"res/cards/full/r_out3_on.png", "out3_on", "OUT 3, 1", "out(o=o|4);"},
    {"res/cards/full/r_out3_off.png", "out3_off", "OUT 3, 0", "out(o=o&~4);"},
    {"res/cards/full/r_out4_on.png", "out4_on", "OUT 4, 1", "out(o=o|8);"},
    {"res/cards/full/r_out4_off.png", "out4_off", "OUT 4, 0", "out(o=o&~8);"},
    {"res/cards/full/r_out5_on.png", "out5_on", "OUT 5, 1", "out(o=o|16);"},
    {"res/cards/full/r_out5_off.png", "out5_off", "OUT 5, 0", "out(o=o&~16);"},
    {"res/cards/full/r_out6_on.png", "out6_on", "OUT 6, 1", "out(o=o|32);"},
    {"res/cards/full/r_out6_off.png", "out6_off", "OUT 6, 0", "out(o=o&~32);"},
}};

// Constant-initialised, so the catalogue may be built during static initialisation.
constexpr PerCardSet<std::span<const CardRow>> kCardRows{kBasicCards, kPaprikaCards, kFullCards};

// The two input cards of the full set.
constexpr int kWaitAnyCard = 2;
constexpr int kLoopAnyStartCard = 8;

CardCode textCard(std::string_view code) {
    CardCode record;
    record.code = std::string(code);
    return record;
}

CardCode inputTextCard(std::string_view code, float multiplier) {
    CardCode record = textCard(code);
    record.kind = CardCode::input;
    record.placeholder.assign(1, '@');
    record.multiplier = multiplier;
    return record;
}

std::string backImage(int set, std::string_view dialectDirectory, std::string_view stem) {
    std::string path = "res/cards/";
    path += kSetDirectories[static_cast<std::size_t>(set)];
    path += '/';
    path += dialectDirectory;
    path += "/r_";
    path += stem;
    path += '_';
    path += dialectDirectory;
    path += ".png";
    return path;
}

} // namespace

void Catalogue::buildPictureTables() {
    dialectButtonOnImages = {"res/r_to_jam_on.png", "res/r_to_latte_on.png", "res/r_to_que_on.png"};
    dialectButtonOffImages = {"res/r_to_jam.png", "res/r_to_latte.png", "res/r_to_que.png"};
    // que shows the latte number field.
    inputNumberImages = {"res/r_input_num_jam_l.png", "res/r_input_num_latte_l.png",
                         "res/r_input_num_latte_l.png"};
    cardSetTabImages = {{
        {"res/cards/r_basic_on.png", "res/cards/r_basic_off.png"},
        {"res/cards/r_paprika_on.png", "res/cards/r_paprika_off.png"},
        {"res/cards/r_full_on.png", "res/cards/r_full_off.png"},
    }};

    for (int set = 0; set < kCardSetCount; ++set) {
        const auto s = static_cast<std::size_t>(set);
        for (const CardRow& row : kCardRows[s]) {
            cardFaceImages[s].emplace_back(row.face);
            const std::string latteBack = backImage(set, "latte", row.backStem);
            cardBackImages[s][jam].push_back(backImage(set, "jam", row.backStem));
            cardBackImages[s][latte].push_back(latteBack);
            cardBackImages[s][que].push_back(latteBack); // que shows the latte backs
            for (auto& rects : inputRects[s]) {
                rects.emplace_back();
            }
        }
    }

    // Number fields of the two input cards, in the card's own coordinates.
    auto& fullRects = inputRects[full];
    fullRects[jam][kWaitAnyCard] = {{0, -13, 50, 30}, {-30, -47, 40, 13}, {-47, 0, 60, 20}};
    fullRects[latte][kWaitAnyCard] = {{0, -13, 50, 30}, {-30, -47, 40, 13}, {-31, 0, 55, 20}};
    fullRects[que][kWaitAnyCard] = fullRects[latte][kWaitAnyCard];
    fullRects[jam][kLoopAnyStartCard] = {{0, 3, 50, 30}, {-76, -47, 25, 13}, {-77, 0, 20, 20}};
    fullRects[latte][kLoopAnyStartCard] = {{0, 3, 50, 30}, {-76, -47, 25, 13}, {-37, -9, 15, 20}};
    fullRects[que][kLoopAnyStartCard] = {{0, 3, 50, 30}, {-76, -47, 25, 13}, {-31, 0, 55, 20}};
}

void Catalogue::buildCardCodes() {
    for (int set = 0; set < kCardSetCount; ++set) {
        const auto s = static_cast<std::size_t>(set);
        for (const CardRow& row : kCardRows[s]) {
            cardCodes[s][jam].push_back(textCard(row.jamCode));
            cardCodes[s][latte].push_back(textCard(row.latteCode));
        }
    }
    // A number typed on the wait card scales like the fixed wait cards
    // ("WAIT 60" / "sleep(1000);" per unit); on the loop card it is the count.
    cardCodes[full][jam][kWaitAnyCard] = inputTextCard("WAIT @", 60.0f);
    cardCodes[full][latte][kWaitAnyCard] = inputTextCard("sleep(@);", 1000.0f);
    cardCodes[full][jam][kLoopAnyStartCard] = inputTextCard("FOR I = 1 TO @", 1.0f);
    cardCodes[full][latte][kLoopAnyStartCard] = inputTextCard("i=0;\nwhile(i<@){", 1.0f);
    buildQueCodes();
}

} // namespace pavlune
