#pragma once

#include "engine/base/Geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pavlune {

// A snap point of a placed card or a row slot. The anchor and direction point
// are in the owner's own node coordinates (origin at its bottom-left corner);
// the direction point minus the anchor is the way the connector faces, and a
// connector whose two points coincide faces nowhere and never snaps.
//
// `attached` names what it is joined to: for a card's connector the row whose
// slot holds it, for a slot's connector the id of the card on it; kNone when
// free. Cards only ever join slots, so the two kinds of id never mix.
struct Connector {
    static constexpr int kNone = -1;

    engine::Vec2 anchor;
    engine::Vec2 directionPoint;
    int attached = kNone;

    bool isAttached() const { return attached != kNone; }
    engine::Vec2 direction() const { return directionPoint - anchor; }

    // Whether the two face each other: the signed angle between their
    // directions, in whole degrees, is 180. One without a direction faces
    // nothing.
    bool facesOpposite(const Connector& other) const {
        const engine::Vec2 a = direction();
        const engine::Vec2 b = other.direction();
        const double lengths = static_cast<double>(a.length()) * b.length();
        if (lengths == 0) {
            return false;
        }
        const double dot = (static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y) / lengths;
        const double cross = (static_cast<double>(a.x) * b.y - static_cast<double>(a.y) * b.x) / lengths;
        double degrees = std::round(std::acos(std::clamp(dot, -1.0, 1.0)) * 180.0 / std::numbers::pi);
        if (std::round(cross) < 0) {
            degrees = -degrees;
        }
        return degrees == 180.0;
    }
};

} // namespace pavlune
