#pragma once

class CardSprite;
class InputCardSprite;

// A short touch that hardly moved, on a number card that is not turning
// over, opens the card's number editor.
class CardTap {
public:
    // Seconds and screen units below which a touch is a tap.
    static constexpr double kMaxDuration = 0.4;
    static constexpr float kMaxTravel = 10;

    // The number card the tap opens, or null when it opens nothing.
    // `seconds` is the touch's duration on the engine's clock.
    static InputCardSprite* editorTarget(CardSprite* card, float travel, double seconds);
};
