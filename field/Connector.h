#pragma once

#include "engine/base/Geometry.h"

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
};

} // namespace pavlune
