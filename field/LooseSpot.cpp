#include "field/LooseSpot.h"

#include <algorithm>
#include <iterator>

namespace pavlune {

LooseSpot::LooseSpot(engine::Rect into, engine::Size size, std::vector<engine::Rect> blocked,
                     std::vector<engine::Rect> avoided)
    : into_(into), size_(size), blocked_(std::move(blocked)), everything_(blocked_) {
    everything_.insert(everything_.end(), avoided.begin(), avoided.end());
}

std::optional<engine::Vec2> LooseSpot::settle(engine::Vec2 centre, bool always) const {
    const engine::Vec2 start = intoField(centre);
    if (overlapped(start, blocked_).empty()) {
        return start;
    }
    if (std::optional<engine::Vec2> clear = nearestClear(start, everything_)) {
        return clear;
    }
    const std::optional<engine::Vec2> clear = nearestClear(start, blocked_);
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

std::vector<engine::Rect> LooseSpot::overlapped(engine::Vec2 centre,
                                                const std::vector<engine::Rect>& areas) const {
    const engine::Rect card = cardAt(centre);
    std::vector<engine::Rect> hit;
    std::copy_if(areas.begin(), areas.end(), std::back_inserter(hit),
                 [&card](const engine::Rect& area) { return overlaps(card, area); });
    return hit;
}

std::vector<engine::Vec2> LooseSpot::beside(engine::Vec2 from, const std::vector<engine::Rect>& areas) const {
    // Left of what it covers (the controls stand at the right edge), above or
    // below it; never right, where the window ends.
    std::vector<engine::Vec2> places;
    for (const engine::Rect& area : overlapped(from, areas)) {
        places.push_back(intoField({area.getMinX() - kClearGap - size_.width / 2, from.y}));
        places.push_back(intoField({from.x, area.getMaxY() + kClearGap + size_.height / 2}));
        places.push_back(intoField({from.x, area.getMinY() - kClearGap - size_.height / 2}));
    }
    return places;
}

std::optional<engine::Vec2> LooseSpot::nearestClear(engine::Vec2 start,
                                                    const std::vector<engine::Rect>& areas) const {
    std::optional<engine::Vec2> best;
    const auto consider = [&](engine::Vec2 place) {
        if (overlapped(place, areas).empty() && (!best || place.distance(start) < best->distance(start))) {
            best = place;
        }
    };
    for (const engine::Vec2 first : beside(start, areas)) {
        consider(first);
        for (const engine::Vec2 second : beside(first, areas)) {
            consider(second);
        }
    }
    return best;
}

} // namespace pavlune
