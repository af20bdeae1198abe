#pragma once

// The field as the editor lays it out on a 1024 x 768 screen with the design
// sizes of the pictures, and helpers to drag a card to a spot.
#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "field/FieldGeometry.h"
#include "field/FieldModel.h"
#include "field/ProgramDocument.h"

namespace pavlune::test {

inline const engine::Size kVisible{1024, 768};
inline const engine::Size kPlate{80, 130};
inline const engine::Size kSlot{230, 130};
inline const engine::Size kButton{40, 40};
inline const engine::Size kCard{200, 120};
// Every card at its design size, for reading a program file.
inline const ProgramDocument::CardSizer kDesignCards = [](int, int) { return kCard; };
// The top row's plate: (768 x 7.33 - 50) - 130 / 2.
inline constexpr float kTopRowY = 5514.44f;
inline constexpr float kRowPitch = 130;
// Five units inside the slot's left edge: 507.5 + 40 + 5.
inline constexpr float kSlotPointX = 552.5f;

inline FieldGeometry designGeometry() {
    return FieldGeometry(kVisible, kPlate, kSlot, kButton);
}
inline FieldModel designField() {
    return FieldModel(designGeometry(), CatalogueView(jam, basic));
}

// Where a row slot's card connector snaps (content units).
inline engine::Vec2 slotPoint(int row) {
    return {kSlotPointX, kTopRowY - kRowPitch * static_cast<float>(row)};
}
// The centre of a card whose left-edge midpoint lies at `point`.
inline engine::Vec2 centreFor(engine::Vec2 point) {
    return point + engine::Vec2(kCard.width / 2, 0);
}

// A view scrolled so that the top rows are on screen.
inline FieldViewport topView(float zoom = 1.0f) {
    return FieldViewport({0, -4861.44f * zoom}, zoom);
}

// Drags `card` alone until its left-edge midpoint reaches `point`.
inline void dragTo(FieldModel& model, int card, engine::Vec2 point, const FieldViewport& view) {
    model.setDragGroup({card});
    model.moveCards(card, centreFor(point) - model.findCard(card)->position, view);
}

// A loose card dropped onto a row: it snaps there; the drag then ends.
inline int snapNewCard(FieldModel& model, int row, int index = 0, int set = basic) {
    const int id =
        model.addCard(set, index, {300 + 450.0f, kTopRowY - kRowPitch * static_cast<float>(row)}, kCard);
    dragTo(model, id, slotPoint(row) + engine::Vec2(10, 0), topView());
    model.endDrag();
    return id;
}

} // namespace pavlune::test
