#pragma once

class CardSprite;
class InputCardSprite;

// A short touch that hardly moved, on a number card that is not turning
// over, opens the card's number editor.
class CardTap {
public:
    // Seconds and screen units below which a mouse press is a tap
    // (10 units: 2.6 mm at 96 dpi).
    static constexpr double kMaxDuration = 0.4;
    static constexpr float kMaxTravel = 10;
    // A fingertip rolls and wobbles as it presses, and a child presses
    // longer: a finger may wander 20 units (5.3 mm at 96 dpi, about half a
    // fingertip) and stay 0.6 s and still be a tap, or still be holding.
    static constexpr double kFingerMaxDuration = 0.6;
    static constexpr float kFingerSlop = 20;

    // The number card the tap opens, or null when it opens nothing.
    // `seconds` is the touch's duration on the engine's clock, `travel` how
    // far it went in screen units, `finger` whether a finger or pen made it.
    static InputCardSprite* editorTarget(CardSprite* card, float travel, double seconds, bool finger);
};
