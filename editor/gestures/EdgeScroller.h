#pragma once

#include "widgets/Design.h"

class CardSprite;
class FieldBoard;
class FieldScrollView;

// Scrolls the field while a dragged card is held against the top or bottom
// edge of the screen, moving the card with the content so that it stays under
// the finger. The speed is 5 units a frame at the edge and one more for every
// 5 units the card reaches beyond it.
//
// The card's reference lines are a quarter of its height above and below its
// centre. A drag that begins with the card already in an edge band does not
// scroll until the card has left that band once (or been pushed 5 units
// deeper), so a card picked up near the edge does not run off at once.
class EdgeScroller {
public:
    // Distance of the scrolling bands from the screen's bottom and top.
    static constexpr float kEdgeBand = 5;
    static constexpr float kTopEdge = design::kHeight - kEdgeBand;
    // Units a frame at the edge, and the units beyond it that add one more.
    static constexpr float kBaseSpeed = 5;
    static constexpr float kSpeedStep = 5;
    // Share of the card's height between its centre and a reference line.
    static constexpr float kReferenceShare = 0.25f;

    EdgeScroller(FieldScrollView* view, FieldBoard* board) : view_(view), board_(board) {}

    // Notes where `card` lies as its drag begins.
    void begin(const CardSprite* card);
    // One frame with `card` under the finger.
    void step(CardSprite* card);

    bool isArmed() const { return armed_; }

private:
    // Half the distance between the reference lines, in screen units.
    float reach(const CardSprite* card) const;
    float screenY(const CardSprite* card) const;
    // Whether the card still lies in the band its drag began in.
    bool stillInStartBand(float bottom, float top, float q) const;
    void scrollBy(CardSprite* card, float step);

    FieldScrollView* view_;
    FieldBoard* board_;
    bool armed_ = false;
    float startBottom_ = 0;
    float startTop_ = 0;
};
