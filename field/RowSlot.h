#pragma once

#include "field/Connector.h"

#include <array>

namespace pavlune {

// The place on a field row where one card snaps. Position is the slot's
// centre in content units. Its neighbours are the slots of the rows above and
// below, known from the row number, so a slot keeps no links of its own.
struct RowSlot {
    engine::Vec2 position;
    engine::Size size;
    std::array<Connector, 2> connectors;

    // A card snaps only to connector 0; the slot is drawn dark while one is
    // there and light while it is free.
    bool isOccupied() const { return connectors[0].isAttached(); }

    engine::Vec2 connectorPoint(int connector) const {
        const Connector& c = connectors[static_cast<std::size_t>(connector)];
        return position + (c.anchor - engine::Vec2(size.width * 0.5f, size.height * 0.5f));
    }
};

} // namespace pavlune
