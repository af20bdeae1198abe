#pragma once

#include <optional>

namespace pavlune {

// The card sets of the palette. A placed card is saved as (card set, card
// index), so these values and the order of the cards in each set must not change.
enum CardSet : int {
    basic = 0,
    paprika = 1,
    full = 2,
};

inline constexpr int kCardSetCount = 3;

// The card set with this index (a tab's tag, the "tab" of a program file), or
// nothing outside 0..2.
constexpr std::optional<CardSet> cardSetFromIndex(int index) {
    return index >= 0 && index < kCardSetCount ? std::optional<CardSet>(static_cast<CardSet>(index))
                                               : std::nullopt;
}

} // namespace pavlune
