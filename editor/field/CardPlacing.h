#pragma once

#include "engine/base/Geometry.h"

#include <cstdint>
#include <optional>

class CardSprite;

// A card brought onto the field from outside it (the palette's drag): it
// appears under the finger, follows it as the field clamps and snaps it, and
// stays or goes when let go. While it is held, the field scrolls at its top
// and bottom edges as for a card dragged on the field. One card at a time.
class CardPlacing {
public:
    virtual ~CardPlacing() = default;

    // A new card of the kind with its centre at `screenPoint`, on top of the
    // others and alone in the drag. Null when the catalogue lacks it or a
    // card is being placed already.
    virtual CardSprite* startPlacing(int cardSet, int cardIndex, engine::Vec2 screenPoint,
                                     std::uint8_t opacity) = 0;
    // Moves it with the finger by `screenDelta`; nothing once it has left
    // the field meanwhile (a row edit pushed it into the trash).
    virtual void movePlacing(engine::Vec2 screenDelta) = 0;
    // Let go: kept, it is opaque and put down as a card dragged on the field
    // is, with the finger at `finger` (screen units; none when the drag was
    // ended without one); otherwise it goes into the trash. The drag and the
    // edge scrolling end either way.
    virtual void finishPlacing(bool keep, std::optional<engine::Vec2> finger) = 0;
    // The card being placed, or null.
    virtual CardSprite* placingCard() const = 0;
    // Whether one more card fits in the program (its file shows no more
    // elements than its limit).
    virtual bool hasRoomForCard() const = 0;
};
