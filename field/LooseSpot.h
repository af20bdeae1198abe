#pragma once

#include "engine/base/Geometry.h"

#include <optional>
#include <vector>

namespace pavlune {

// Where a loose card of one size may lie on the screen: wholly inside the
// visible field (`into`) and overlapping none of `blocked` (the controls
// drawn over the field, the cards on rows). A card that has to move also
// keeps off `avoided` (other loose cards, so that none is hidden under it)
// where it can. Screen units throughout.
class LooseSpot {
public:
    // Space between a loose card moved aside and what it would have covered.
    static constexpr float kClearGap = 2;

    LooseSpot(engine::Rect into, engine::Size size, std::vector<engine::Rect> blocked,
              std::vector<engine::Rect> avoided = {});

    // Where a card whose centre is at `centre` goes: pulled wholly into the
    // field; if it covers something blocked there, the nearest place just
    // beside what it covers (or beside the next thing from that place) that
    // covers nothing blocked or avoided, else nothing blocked. Where there is
    // none, `always` keeps the place in the field; otherwise no place.
    std::optional<engine::Vec2> settle(engine::Vec2 centre, bool always) const;

    // Centres kept so that the card lies wholly in the field.
    engine::Vec2 intoField(engine::Vec2 centre) const;
    // Whether two rectangles share some area (touching edges hide nothing).
    static bool overlaps(const engine::Rect& a, const engine::Rect& b);

private:
    engine::Rect cardAt(engine::Vec2 centre) const;
    std::vector<engine::Rect> overlapped(engine::Vec2 centre, const std::vector<engine::Rect>& areas) const;
    std::vector<engine::Vec2> beside(engine::Vec2 from, const std::vector<engine::Rect>& areas) const;
    std::optional<engine::Vec2> nearestClear(engine::Vec2 start,
                                             const std::vector<engine::Rect>& areas) const;

    engine::Rect into_;
    engine::Size size_;
    std::vector<engine::Rect> blocked_;
    // The blocked areas, then the avoided ones.
    std::vector<engine::Rect> everything_;
};

} // namespace pavlune
