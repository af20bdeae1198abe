#pragma once

#include "engine/base/Geometry.h"
#include "engine/base/Value.h"

#include <cstddef>
#include <cstdint>
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
// An element that names no card of the catalogue, is no dictionary or holds
// a key of the wrong type is not put on the field, but the document keeps it
// and writes it back in its place at every save, so a file from a newer
// catalogue loses nothing. So are the elements beyond the first kMaxElements:
// the field shows no more cards than a child can handle, and the file keeps
// the rest (the kept tail).
//
// What shows is decided by place, so a save must keep every shown card among
// the first kMaxElements and every tail element beyond them: a new card never
// goes after the tail (roomForCards() says when there is no place left), and
// while there is a tail a removed card leaves a hole element (kHole, which no
// version of the loader shows) that the next new card takes. Without a tail
// holes are dropped.
class ProgramDocument {
public:
    static constexpr const char* kSetKey = "tab";
    static constexpr const char* kIndexKey = "index";
    static constexpr const char* kXKey = "x";
    static constexpr const char* kYKey = "y";
    static constexpr const char* kZOrderKey = "zorder";
    static constexpr const char* kValueKey = "value";
    static constexpr std::size_t kMaxElements = 2000;
    // The element written in place of a removed card while a kept tail
    // follows: not a dictionary, so never shown.
    static engine::Value hole() { return engine::Value(std::string()); }
    // A stored position this close to a row's snap point was on that row
    // when saved (positions are stored truncated to whole units).
    static constexpr float kOnRowTolerance = 2;
    // Stored z-orders above this are renumbered (the editor writes 1..N).
    static constexpr std::int64_t kLargestZOrder = 1000000;

    // The size of a card's picture, which the view knows.
    using CardSizer = std::function<engine::Size(int cardSet, int cardIndex)>;

    // Puts the elements' cards on `model` (meant to be empty), each at its
    // stored position (kept on the field) with its value. Rows go to the
    // cards that lie on them as stored, the lowest of several first, however
    // the elements are ordered; the other cards stay loose, even near a row
    // (only a card attached when saved runs), and loose cards that would
    // cover a row card slide beside the column. Z-orders that are negative, tied or huge become 1..N
    // in the stored order. A missing
    // key reads as 0 or "". Returns the new cards' ids in order.
    std::vector<int> load(const engine::ValueVector& elements, FieldModel& model, const CardSizer& cardSize);

    // Whether the last load left elements off the field for their number.
    bool leftElementsOff() const { return !tail_.empty(); }
    // How many more cards the model may hold so that a save still shows them
    // all after a reopen (0 at the limit).
    std::size_t roomForCards(const FieldModel& model) const;

    // The elements for the model's cards in placedCards() order, with the
    // kept elements where they were.
    engine::ValueVector save(const FieldModel& model) const;

    // One element as it is written for a card.
    static engine::ValueMap elementFor(int cardSet, int cardIndex, engine::Vec2 position, int zOrder,
                                       const std::string& value);

private:
    // The place of a removed card or of a hole element read from the file.
    struct Hole {};
    // Either the id of a loaded card, an element kept as it was read, or a hole.
    using Entry = std::variant<int, engine::Value, Hole>;
    // The first kMaxElements elements as loaded, then the tail as read.
    std::vector<Entry> shown_;
    engine::ValueVector tail_;
    // Kept elements among shown_: they take places the field cannot use.
    std::size_t keptShown_ = 0;
};

} // namespace pavlune
