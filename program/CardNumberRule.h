#pragma once

#include "program/FieldRows.h"

#include <optional>
#include <string>

namespace pavlune {

// What the number on one kind of card may be, taken from the catalogue in
// every dialect, so that no dialect can make an accepted number unusable:
// digits with at most one "." (or nothing), small enough that no dialect's
// scaling writes it in exponent form, and, on a card that counts the turns
// of a loop, a whole number that the que compare (16 bits) can hold.
//
// The same rule judges text typed into the number editor and values read
// from a program file: a value it refuses is marked on the card and stops
// the program from being sent.
class CardNumberRule {
public:
    enum class Problem { none, notANumber, tooLarge, notWhole };

    // The largest number of turns a que loop compare holds.
    static constexpr int kMaxTurns = 65535;
    // A scaled number from this magnitude on is written in exponent form.
    static constexpr double kExponentFrom = 1e6;

    // The rule of a card; a card without a number (or unknown) takes any text.
    static CardNumberRule forCard(int cardSet, int cardIndex);

    // Whether the card carries a typed number at all.
    bool takesNumber() const { return takesNumber_; }
    Problem check(const std::string& text) const;
    // The text as the card stores it (".5" becomes "0.5"), or nothing when
    // refused.
    std::optional<std::string> accept(const std::string& text) const;
    // Whether the card counts the turns of a loop: whole numbers from 0 to
    // kMaxTurns. Other cards take numbers below limitText().
    bool countsTurns() const { return countsTurns_; }
    // The limit as the screens write it: kMaxTurns, the highest count taken,
    // on a card that counts turns; else the number a value must stay below.
    std::string limitText() const;

    // The first row (0-based) holding a card whose value the rule refuses.
    static std::optional<int> firstWrongRow(const FieldRows& rows);

private:
    bool takesNumber_ = false;
    bool countsTurns_ = false;
    // Multipliers of the card in every dialect; the largest sets the limit.
    std::vector<float> multipliers_;
};

} // namespace pavlune
