#include "field/LooseSpot.h"

#include <algorithm>
#include <iterator>

namespace pavlune {

std::optional<engine::Vec2> LooseSpot::settle(engine::Vec2 centre, bool always) const {
    const engine::Vec2 start = intoField(centre);
    if (isClear(start)) {
        return start;
    }
    const std::optional<engine::Vec2> clear = nearestClear(start);
    if (!clear && always) {
        return start;
    }
    return clear;
}

engine::Vec2 LooseSpot::intoField(engine::Vec2 centre) const {
    centre.x =
        std::max(std::min(centre.x, into_.getMaxX() - size_.width / 2), into_.getMinX() + size_.width / 2);
    centre.y =
        std::max(std::min(centre.y, into_.getMaxY() - size_.height / 2), into_.getMinY() + size_.height / 2);
    return centre;
}

bool LooseSpot::overlaps(const engine::Rect& a, const engine::Rect& b) {
    return a.getMinX() < b.getMaxX() && b.getMinX() < a.getMaxX() && a.getMinY() < b.getMaxY() &&
           b.getMinY() < a.getMaxY();
}

engine::Rect LooseSpot::cardAt(engine::Vec2 centre) const {
    return {centre.x - size_.width / 2, centre.y - size_.height / 2, size_.width, size_.height};
}

std::vector<engine::Rect> LooseSpot::overlapped(engine::Vec2 centre) const {
    const engine::Rect card = cardAt(centre);
    std::vector<engine::Rect> hit;
    std::copy_if(blocked_.begin(), blocked_.end(), std::back_inserter(hit),
                 [&card](const engine::Rect& area) { return overlaps(card, area); });
    return hit;
}

std::vector<engine::Vec2> LooseSpot::beside(engine::Vec2 from) const {
    // Left of what it covers (the controls stand at the right edge), above or
    // below it; never right, where the window ends.
    std::vector<engine::Vec2> places;
    for (const engine::Rect& area : overlapped(from)) {
        places.push_back(intoField({area.getMinX() - kClearGap - size_.width / 2, from.y}));
        places.push_back(intoField({from.x, area.getMaxY() + kClearGap + size_.height / 2}));
        places.push_back(intoField({from.x, area.getMinY() - kClearGap - size_.height / 2}));
    }
    return places;
}

std::optional<engine::Vec2> LooseSpot::nearestClear(engine::Vec2 start) const {
    std::optional<engine::Vec2> best;
    const auto consider = [&](engine::Vec2 place) {
        if (isClear(place) && (!best || place.distance(start) < best->distance(start))) {
            best = place;
        }
    };
    for (const engine::Vec2 first : beside(start)) {
        consider(first);
        for (const engine::Vec2 second : beside(first)) {
            consider(second);
        }
    }
    return best;
}

} // namespace pavlune
