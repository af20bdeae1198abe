#pragma once

#include "engine/base/Geometry.h"
#include "engine/base/RefPtr.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace engine {
class Node;
class Touch;
} // namespace engine

class CardPlacing;
class CardSprite;

// One touch on a palette card, from press to release: it either scrolls the
// palette, or lifts a translucent copy of the card (the floating card) that
// follows the finger and, once it has left the palette, becomes a card on the
// field (CardPlacing) that is clamped and snapped like any dragged card.
//
// The card's listener does not swallow at first, so the palette scrolls with
// the finger until the touch is classified: held still for 0.7 s or moved
// rightwards, it lifts (and from then on swallows); moved more vertically, it
// stays a scroll for the rest of the touch.
class PaletteDrag {
public:
    static constexpr float kLongPressDelay = 0.7f;
    // A touch is classified once it has moved this far from where it began.
    static constexpr float kDecideDistance = 10;
    // A move lifts when its direction, in degrees clockwise from straight up,
    // lies strictly between these.
    static constexpr float kLiftMinAngle = 25;
    static constexpr float kLiftMaxAngle = 155;
    // The long press shows the copy slightly off the card, as picked up.
    static constexpr float kLongPressOffset = 3;
    static constexpr std::uint8_t kFloatingOpacity = 150;
    static constexpr std::uint8_t kPlacingOpacity = 150;
    // Above everything else on the scene.
    static constexpr int kFloatingZOrder = 1000;

    // `field` receives the placed card; `floatLayer` (at the scene's origin)
    // carries the floating card. Neither is owned.
    PaletteDrag(CardPlacing* field, engine::Node* floatLayer);
    ~PaletteDrag();
    PaletteDrag(const PaletteDrag&) = delete;
    PaletteDrag& operator=(const PaletteDrag&) = delete;

    // The palette card's listener. `press` takes the touch unless another
    // palette touch is under way.
    bool press(CardSprite* paletteCard, engine::Touch* touch);
    void move(engine::Touch* touch);
    // Release and cancel alike.
    // A card let go over the palette, or whose drag was cancelled, goes back:
    // it leaves the field.
    void end(engine::Touch* touch, bool cancelled = false);
    // Ends the current touch as a release would (the palette is rebuilt).
    void abandon();

    bool isActive() const { return paletteCard_ != nullptr; }
    // Whether a touch other than `touch` carries a palette card.
    bool holdsCardAgainst(const engine::Touch* touch) const;
    CardSprite* floatingCard() const { return floating_.get(); }
    // The field card this drag created, or null.
    CardSprite* placingCard() const;

    // The placed card was let go (to save the field).
    std::function<void()> onCardPlaced;
    // A card was to be lifted but the program has no room for it (to say so).
    std::function<void()> onNoRoom;

private:
    void lift(engine::Vec2 worldPosition);
    void followFinger(engine::Touch* touch);
    // `finger`: where the touch let go, none when it did not (abandoned).
    void finish(bool keepCard = true, std::optional<engine::Vec2> finger = std::nullopt);
    engine::Vec2 worldPositionOf(const engine::Node* node) const;
    void setSwallowing(bool swallow) const;

    CardPlacing* field_;
    engine::Node* floatLayer_;
    engine::RefPtr<CardSprite> paletteCard_;
    engine::RefPtr<CardSprite> floating_;
    int touchId_ = -1;
    // Advanced at every end, so that a long press of an earlier touch does nothing.
    unsigned touchSerial_ = 0;
    bool decided_ = false;
    engine::Vec2 touchStart_;
    // This drag has made a card on the field.
    bool placing_ = false;
};
