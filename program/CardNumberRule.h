#pragma once

#include "program/FieldRows.h"

#include <optional>
#include <string>

namespace pavlune {

// What the number on one kind of card may be, taken from the catalogue in
// every dialect, so that an accepted number makes every board do the same:
// - a wait is 0 to below 1000 seconds in steps of 0.1 s (one digit after the
//   point): whole sixtieths in jam and que, whole milliseconds in latte;
// - a loop count is a whole number from 1 to 65535: the que compare holds 16
//   bits, and 0 cannot mean the same everywhere (jam's FOR and the que loop
//   run their body once, latte's while none);
// - an empty value is no number: a new card starts at kStartingValue, and
//   the number editor keeps the old number when its box is emptied.
//
// The same rule judges text typed into the number editor (after
// halfWidthNumber) and values read from a program file: a value it refuses
// is marked on the card and stops the program from being sent.
class CardNumberRule {
public:
    enum class Problem { none, empty, notANumber, tooLarge, tooSmall, notWhole, tooFine };

    // The turns a loop takes: at least once, at most what a que loop compare holds.
    static constexpr int kMinTurns = 1;
    static constexpr int kMaxTurns = 65535;
    // Digits a wait takes after the point: tenths of a second.
    static constexpr std::size_t kMaxDecimals = 1;
    // The value of a number card fresh from the palette: a one-second wait,
    // a loop that runs once.
    static constexpr const char* kStartingValue = "1";
    // A scaled number from this magnitude on is written in exponent form.
    static constexpr double kExponentFrom = 1e6;

    // The rule of a card; a card without a number (or unknown) takes any text.
    static CardNumberRule forCard(int cardSet, int cardIndex);

    // Whether the card carries a typed number at all.
    bool takesNumber() const { return takesNumber_; }
    Problem check(const std::string& text) const;
    // The text as the card stores it (".5" becomes "0.5", "5." becomes "5"),
    // or nothing when refused.
    std::optional<std::string> accept(const std::string& text) const;
    // Whether the card counts the turns of a loop: whole numbers from
    // kMinTurns to kMaxTurns. Other cards take numbers below limitText().
    bool countsTurns() const { return countsTurns_; }
    // The limit as the screens write it: kMaxTurns, the highest count taken,
    // on a card that counts turns; else the number a value must stay below.
    std::string limitText() const;

    // The value a new card of this kind gets; empty for a card without a number.
    std::string startingValue() const { return takesNumber_ ? kStartingValue : ""; }

    // The first row (0-based) holding a card whose value the rule refuses.
    static std::optional<int> firstWrongRow(const FieldRows& rows);

private:
    bool takesNumber_ = false;
    bool countsTurns_ = false;
    // Multipliers of the card in every dialect; the largest sets the limit.
    std::vector<float> multipliers_;
};

} // namespace pavlune
