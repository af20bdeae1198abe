#pragma once

namespace pavlune {

// The card sets of the palette. A placed card is saved as (card set, card
// index), so these values and the order of the cards in each set must not change.
enum CardSet : int {
    basic = 0,
    paprika = 1,
    full = 2,
};

inline constexpr int kCardSetCount = 3;

} // namespace pavlune
