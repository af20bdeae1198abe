#pragma once

#include "engine/base/Geometry.h"
#include "engine/base/Value.h"
#include "field/FieldViewport.h"

#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace pavlune {

class FieldModel;

// The field as a program file holds it: one dictionary per placed card, in
// the order the cards were created, with the integers "tab" (card set),
// "index", "x", "y" (the centre, truncated toward zero), "zorder" and the
// string "value".
//
// An element that names no card of the catalogue (or is no dictionary) is
// not put on the field, but the document keeps it and writes it back in its
// place at every save, so a file from a newer catalogue loses nothing.
class ProgramDocument {
public:
    static constexpr const char* kSetKey = "tab";
    static constexpr const char* kIndexKey = "index";
    static constexpr const char* kXKey = "x";
    static constexpr const char* kYKey = "y";
    static constexpr const char* kZOrderKey = "zorder";
    static constexpr const char* kValueKey = "value";

    // The size of a card's picture, which the view knows.
    using CardSizer = std::function<engine::Size(int cardSet, int cardIndex)>;

    // Puts the elements' cards on `model` (meant to be empty) in order: each
    // at its stored position with its stored z-order and value, then snapped
    // where it lies as a dropped card is. A missing key reads as 0 or "".
    // Returns the new cards' ids in order.
    std::vector<int> load(const engine::ValueVector& elements, FieldModel& model,
                          const FieldViewport& viewport, const CardSizer& cardSize);

    // The elements for the model's cards in placedCards() order, with the
    // kept elements where they were.
    engine::ValueVector save(const FieldModel& model) const;

    // One element as it is written for a card.
    static engine::ValueMap elementFor(int cardSet, int cardIndex, engine::Vec2 position, int zOrder,
                                       const std::string& value);

private:
    // Either the id of a loaded card or an element kept as it was read.
    using Entry = std::variant<int, engine::Value>;
    std::vector<Entry> loaded_;
};

} // namespace pavlune
