#include "editor/field/RowLight.h"

#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/2d/LayerColor.h"
#include "program/FieldRows.h"
#include "widgets/FieldScrollView.h"

namespace {

const engine::Color4B kLight(255, 214, 0, 255);
// Over the plates and slots (added after them at the same z), under the
// cards (z 1 and up): a frame around the running card.
constexpr int kOverSlots = 0;

} // namespace

RowLight::RowLight(FieldScrollView* view, const FieldBoard& board) : board_(board) {
    band_ = engine::LayerColor::create(kLight);
    if (band_) {
        band_->setVisible(false);
        view->addChild(band_, kOverSlots);
    }
}

RowLight::~RowLight() {
    if (band_) {
        band_->removeFromParent();
    }
}

void RowLight::show(std::optional<int> row) {
    if (row && (*row < 0 || *row >= pavlune::kFieldRowCount)) {
        row.reset();
    }
    shown_ = row;
    if (!band_) {
        return;
    }
    band_->setVisible(row.has_value());
    if (!row) {
        return;
    }
    const engine::Rect slot = board_.slotNode(*row)->getBoundingBox();
    band_->setContentSize({slot.size.width + 2 * kMargin, slot.size.height + 2 * kMargin});
    band_->setPosition(slot.origin.x - kMargin, slot.origin.y - kMargin);
}
