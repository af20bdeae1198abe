#pragma once

#include <string>
#include <vector>

namespace pavlune::artgen {

// What a card front shows. The code, paths and number places come from the
// catalogue; this is only the picture language on top of it.
enum class Pictogram {
    ledOn,
    ledOff,
    stopwatch, // `number` seconds; a number card when number < 0
    loopStart, // `number` repeats; 0: for ever; < 0: typed on the card
    loopEnd,   // closes the loop of the same colour and number
    carForward,
    carStop,
    carBack,
    carSpinLeft,
    carTurnLeft,
    carBackLeft,
    carSpinRight,
    carTurnRight,
    carBackRight,
    wheelForward, // `side`: which wheel
    wheelStop,
    wheelBack,
    beep,
    outputOn, // `number`: the output
    outputOff,
};

enum class Side { none, left, right };

struct CardArt {
    int set = 0;
    int index = 0;
    Pictogram picture = Pictogram::ledOn;
    std::string caption;
    unsigned colour = 0; // the card's accent, 0xRRGGBB
    int number = 0;
    Side side = Side::none;
};

// The front design of every card of every set, in catalogue order.
class CardArtTable {
public:
    static const std::vector<CardArt>& all();
    // Null when the table has no entry for the key.
    static const CardArt* find(int set, int index);
};

} // namespace pavlune::artgen
