#include "tools/artgen/CardArt.h"

namespace pavlune::artgen {

namespace {

// Accent colours. The four loops each have their own colour, shared by the
// start and the end card, so that a pair can be told at a glance.
constexpr unsigned kLight = 0xF2A900;
constexpr unsigned kWait = 0x1E88E5;
constexpr unsigned kLoopForever = 0x8E44AD;
constexpr unsigned kLoop3 = 0xF57C00;
constexpr unsigned kLoop5 = 0x2E9D4F;
constexpr unsigned kLoopAny = 0xD81B60;
constexpr unsigned kCar = 0x5E9E12;
constexpr unsigned kCarStop = 0xD32F2F;
constexpr unsigned kWheel = 0x00897B;
constexpr unsigned kSound = 0x5C6BC0;
constexpr unsigned kOutputOn = 0x00A3C4;
constexpr unsigned kOutputOff = 0x78909C;

using P = Pictogram;

std::vector<CardArt> buildTable() {
    std::vector<CardArt> t = {
        // basic
        {0, 0, P::ledOn, "LEDを つける", kLight, 0, Side::none},
        {0, 1, P::ledOff, "LEDを けす", kLight, 0, Side::none},
        {0, 2, P::stopwatch, "1びょう まつ", kWait, 1, Side::none},
        {0, 3, P::stopwatch, "3びょう まつ", kWait, 3, Side::none},
        {0, 4, P::loopStart, "ずっと くりかえす", kLoopForever, 0, Side::none},
        {0, 5, P::loopEnd, "はじめに もどる", kLoopForever, 0, Side::none},
        // paprika: the two motors drive the car; the two servo outputs drive a wheel each
        {1, 0, P::carForward, "まえに すすむ", kCar, 0, Side::none},
        {1, 1, P::carStop, "とまる", kCarStop, 0, Side::none},
        {1, 2, P::carBack, "うしろに さがる", kCar, 0, Side::none},
        {1, 3, P::carSpinLeft, "ひだりに まわる", kCar, 0, Side::none},
        {1, 4, P::carTurnLeft, "ひだりに まがる", kCar, 0, Side::none},
        {1, 5, P::carBackLeft, "ひだりへ バック", kCar, 0, Side::none},
        {1, 6, P::carSpinRight, "みぎに まわる", kCar, 0, Side::none},
        {1, 7, P::carTurnRight, "みぎに まがる", kCar, 0, Side::none},
        {1, 8, P::carBackRight, "みぎへ バック", kCar, 0, Side::none},
        {1, 9, P::wheelForward, "ひだりタイヤ まえ", kWheel, 0, Side::left},
        {1, 10, P::wheelStop, "ひだりタイヤ とめる", kWheel, 0, Side::left},
        {1, 11, P::wheelBack, "ひだりタイヤ うしろ", kWheel, 0, Side::left},
        {1, 12, P::wheelForward, "みぎタイヤ まえ", kWheel, 0, Side::right},
        {1, 13, P::wheelStop, "みぎタイヤ とめる", kWheel, 0, Side::right},
        {1, 14, P::wheelBack, "みぎタイヤ うしろ", kWheel, 0, Side::right},
        // full
        {2, 0, P::stopwatch, "5びょう まつ", kWait, 5, Side::none},
        {2, 1, P::stopwatch, "10びょう まつ", kWait, 10, Side::none},
        {2, 2, P::stopwatch, "びょう まつ", kWait, -1, Side::none},
        {2, 3, P::beep, "おとを ならす", kSound, 0, Side::none},
        {2, 4, P::loopStart, "3かい くりかえす", kLoop3, 3, Side::none},
        {2, 5, P::loopEnd, "ここまで くりかえす", kLoop3, 3, Side::none},
        {2, 6, P::loopStart, "5かい くりかえす", kLoop5, 5, Side::none},
        {2, 7, P::loopEnd, "ここまで くりかえす", kLoop5, 5, Side::none},
        {2, 8, P::loopStart, "かい くりかえす", kLoopAny, -1, Side::none},
        {2, 9, P::loopEnd, "ここまで くりかえす", kLoopAny, -1, Side::none},
    };
    for (int out = 1; out <= 6; ++out) {
        const std::string name = "OUT" + std::to_string(out);
        t.push_back({2, 10 + (out - 1) * 2, P::outputOn, name + "を オン", kOutputOn, out, Side::none});
        t.push_back({2, 11 + (out - 1) * 2, P::outputOff, name + "を オフ", kOutputOff, out, Side::none});
    }
    return t;
}

} // namespace

const std::vector<CardArt>& CardArtTable::all() {
    static const std::vector<CardArt> table = buildTable();
    return table;
}

const CardArt* CardArtTable::find(int set, int index) {
    for (const CardArt& art : all())
        if (art.set == set && art.index == index)
            return &art;
    return nullptr;
}

} // namespace pavlune::artgen
