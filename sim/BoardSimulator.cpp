#include "sim/BoardSimulator.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"

#include <algorithm>

namespace pavlune {

namespace {

// A character of program text, a line end or the jam break: what a text
// transfer sends outside a latte file (inside one, 0x04 ends it). Every que
// opcode but 0A (a loop end with no start on the first row) is none of these.
bool isText(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return (value >= 0x20 && value < 0x7F) || byte == '\n' || byte == '\r' ||
           byte == JamBoard::breakCharacter();
}

} // namespace

BoardSimulator::BoardSimulator(const BoardClock& clock, BoardObserver& observer, std::optional<Dialect> fixed)
    : clock_(clock), outputs_(clock, observer), slot_(clock, outputs_),
      jam_({clock, outputs_, slot_, observer}), latte_({clock, outputs_, slot_, observer}),
      que_({clock, outputs_, slot_, observer}), fixed_(fixed), dialect_(fixed.value_or(jam)) {}

Dialect BoardSimulator::dialectFor(char byte) const {
    if (fixed_) {
        return *fixed_;
    }
    if (que_.collecting() || (!isText(byte) && !latte_.capturing())) {
        return que;
    }
    if (byte == JamBoard::breakCharacter()) {
        return jam;
    }
    static const char latteBreak = CatalogueView(latte, basic).getBreakCode().code.at(0);
    if (dialect_ != latte && byte == latteBreak && jam_.lineEmpty()) {
        return latte;
    }
    return dialect_ == que ? jam : dialect_;
}

void BoardSimulator::receive(char byte) {
    const Dialect dialect = dialectFor(byte);
    if (dialect != dialect_) {
        slot_.stop();
        dialect_ = dialect;
    }
    switch (dialect_) {
    case jam:
        jam_.receive(byte);
        break;
    case latte:
        latte_.receive(byte);
        break;
    case que:
        que_.receive(byte);
        break;
    }
}

std::optional<BoardClock::TimePoint> BoardSimulator::advance() {
    que_.advance();
    const auto program = slot_.advance();
    const auto unfinished = que_.deadline();
    if (program && unfinished) {
        return std::min(*program, *unfinished);
    }
    return program ? program : unfinished;
}

} // namespace pavlune
