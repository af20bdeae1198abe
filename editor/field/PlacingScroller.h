#pragma once

class CardSprite;

// Whoever scrolls the field at its edges while a card is dragged (the field
// gestures) does so for the card being placed from outside the field too.
class PlacingScroller {
public:
    virtual ~PlacingScroller() = default;
    // Follows `card` from now on; null stops.
    virtual void followPlacingCard(CardSprite* card) = 0;
};
