#pragma once

#include "editor/field/PlacingScroller.h"
#include "editor/gestures/EdgeScroller.h"
#include "engine/base/Color.h"
#include "engine/base/Geometry.h"
#include "engine/base/RefPtr.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace engine {
class Event;
class EventListenerTouchOneByOne;
class Node;
class Touch;
} // namespace engine

class CardSprite;
class FieldBoard;
class FieldScrollView;
class InputCardSprite;
class TrashCan;

// The touch on a card lying on the field. A mouse press held still for 0.05 s
// lifts the card (translucent, the trash appears, the field stops scrolling
// under it); a press that moves before the lift scrolls the field instead. A
// finger or pen claims the card at once (a finger on a card never scrolls the
// field) and lifts it at 0.05 s too, but the card follows only once the
// finger has wandered past CardTap::kFingerSlop, and then jumps under it.
// Held still until kBlockHoldTime, the press lifts the block of snapped cards
// below the card too; meanwhile the cards below light up one after another
// as the hold grows, and a drag before it completes takes the one card. The
// lifted cards follow the finger, snapping to rows, and go into the trash
// when let go over it; the field is saved after every drag. A short touch on
// a number card opens its number editor. While a card is dragged, the field
// scrolls when the card is held against the top or bottom edge.
//
// Only one field card is pressed at a time. Each touch advances a serial
// number, so delayed lifts that belong to a finished touch do nothing.
//
// It also scrolls the edges for the card that the board is placing from the
// palette (it is the board's PlacingScroller while it lives).
class CardGestures : public PlacingScroller {
public:
    static constexpr float kLiftDelay = 0.05f;
    // From the press: well past the half second a child rests a finger
    // while thinking, so a block is only ever lifted on purpose.
    static constexpr float kBlockHoldTime = 1.2f;
    static constexpr std::uint8_t kLiftedOpacity = 150;
    static constexpr std::uint8_t kBlockOpacity = 100;
    // The tint of a card below that the growing hold has reached.
    static constexpr engine::Color3B kHoldTint{255, 214, 90};
    static constexpr const char* kHoldKey = "CardGestures.holdStep";
    static constexpr int kSerialCount = 10;
    static constexpr const char* kAutoScrollKey = "CardGestures.autoScrollStep";

    // Delayed lifts and edge scrolling run on `host`, which outlives this
    // object (the editor screen). `trash` may be null.
    CardGestures(engine::Node* host, FieldScrollView* view, FieldBoard* board, TrashCan* trash);
    ~CardGestures() override;
    CardGestures(const CardGestures&) = delete;
    CardGestures& operator=(const CardGestures&) = delete;

    // Gives a new field card its touch handling.
    void attach(CardSprite* card);

    // Starts scrolling the field whenever `card` is dragged against an edge;
    // a later call replaces the earlier one.
    void startAutoScroll(CardSprite* card);
    void stopAutoScroll();
    bool isAutoScrolling() const;
    // The field card that the palette drag is placing, or null. While set, it
    // is the card that edge scrolling follows.
    void followPlacingCard(CardSprite* card) override;
    CardSprite* getPlacingCard() const { return placing_.get(); }

    CardSprite* getPressedCard() const { return press_.card.get(); }
    // Whether a card is pressed by a touch other than `touch`.
    bool holdsCardAgainst(const engine::Touch* touch) const;
    bool isDragging() const { return press_.dragging; }
    bool isLiftArmed() const { return press_.liftArmed; }
    bool isOverTrash() const { return press_.overTrash; }
    // Cards below the pressed one that the hold has lit so far.
    int getHoldLitCount() const { return press_.lit; }
    int getTouchSerial() const { return serial_; }

    // Opens the number editor over a tapped number card.
    std::function<void(InputCardSprite*)> onOpenNumberEditor;
    // Writes the field after cards were put down.
    std::function<void()> onSave;

private:
    // The touch on the pressed card, from press to release.
    struct Press {
        engine::RefPtr<CardSprite> card;
        engine::RefPtr<engine::EventListenerTouchOneByOne> listener;
        double startTime = 0;
        bool liftArmed = true;
        bool dragging = false;
        bool overTrash = false;
        // A finger or pen rather than the mouse.
        bool finger = false;
        int touchId = -1;
        // Mouse: movement so far (content units while moving, plus the last
        // step in screen units at the release). Finger: the farthest it went
        // from where it began (screen units).
        float travel = 0;
        // The cards below that a held press would lift with it, and how many
        // of them are lit.
        std::vector<int> below;
        int lit = 0;
    };

    bool press(CardSprite* card, engine::EventListenerTouchOneByOne* listener, engine::Touch* touch);
    void move(CardSprite* card, engine::Touch* touch);
    // The end of the touch; a cancelled touch is never a tap.
    void release(CardSprite* card, engine::Touch* touch, bool cancelled);
    void lift(int serial);
    // One frame of the hold after the lift: lights the cards below as the
    // hold grows and lifts the block when it is complete.
    void holdStep();
    void liftBlock();
    // Takes the hold's light off the cards below and stops it.
    void endHold();
    // Whether a finger that has not dragged yet is still within the slop (its
    // move is a wobble); on the move that goes past it, the card lifts if it
    // had not.
    bool fingerStillHolding(engine::Touch* touch);
    // Whether a delayed lift captured at `serial` still belongs to the press.
    bool liftStillDue(int serial) const;
    void runAfter(float delay, const std::function<void()>& action);
    void putDown(const engine::Vec2& location);
    void putBack();
    void endPress();
    void autoScrollStep();
    double now() const;

    engine::Node* host_;
    FieldScrollView* view_;
    FieldBoard* board_;
    TrashCan* trash_;
    EdgeScroller scroller_;
    Press press_;
    engine::RefPtr<CardSprite> placing_;
    int serial_ = 0;
    // Where the pressing finger was last seen (screen units).
    engine::Vec2 lastLocation_;
};
