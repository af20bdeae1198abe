#include "editor/gestures/EdgeScroller.h"

#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>

float EdgeScroller::reach(const CardSprite* card) const {
    return card->getContentSize().height * kReferenceShare * view_->getZoomScale();
}

float EdgeScroller::screenY(const CardSprite* card) const {
    return board_->viewport().toScreen(card->getPosition()).y;
}

void EdgeScroller::begin(const CardSprite* card) {
    const float q = reach(card);
    const float y = screenY(card);
    startBottom_ = y - q;
    startTop_ = y + q;
    armed_ = startBottom_ >= q + kEdgeBand && startTop_ <= kTopEdge - q;
}

bool EdgeScroller::stillInStartBand(float bottom, float top, float q) const {
    const bool inBottomBand =
        startBottom_ < kEdgeBand && bottom > startBottom_ - kEdgeBand && bottom < q + kEdgeBand;
    const bool inTopBand = startTop_ > kTopEdge && top > kTopEdge - q && top < startTop_ + kEdgeBand;
    return inBottomBand || inTopBand;
}

void EdgeScroller::step(CardSprite* card) {
    const float q = reach(card);
    const float y = screenY(card);
    const float bottom = y - q;
    const float top = y + q;
    if (!armed_) {
        if (stillInStartBand(bottom, top, q)) {
            return;
        }
        armed_ = true;
    }
    const float offsetY = view_->getContentOffset().y;
    if (bottom < kEdgeBand && offsetY < view_->maxContainerOffset().y) {
        // Negative: the content moves up, showing rows further down.
        const float speed = (bottom - kEdgeBand) / kSpeedStep - kBaseSpeed;
        scrollBy(card, std::max(speed, offsetY - view_->maxContainerOffset().y));
    } else if (top > kTopEdge && offsetY > view_->minContainerOffset().y) {
        const float speed = (top - kTopEdge) / kSpeedStep + kBaseSpeed;
        scrollBy(card, std::min(speed, offsetY - view_->minContainerOffset().y));
    }
}

void EdgeScroller::scrollBy(CardSprite* card, float step) {
    const engine::Vec2 offset = view_->getContentOffset();
    view_->setContentOffset(engine::Vec2(offset.x, offset.y - step));
    // A card held on its row scrolls with it; a free one stays under the finger.
    const pavlune::PlacedCard* placed = board_->model().findCard(card->modelId);
    if (placed && !placed->connectors[0].isAttached()) {
        board_->moveCards(card, engine::Vec2(0, step / view_->getZoomScale()));
    }
}
