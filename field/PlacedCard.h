#pragma once

#include "field/Connector.h"

#include <array>
#include <climits>
#include <string>

namespace pavlune {

// One card lying on the field. Its position is the centre of the card in
// field content units (the node's anchor is its middle), as the view places
// its node there.
struct PlacedCard {
    static constexpr int kTopZOrder = INT_MAX;
    static constexpr int kNoCard = Connector::kNone;

    // Link directions: the cards snapped to the neighbouring rows.
    enum Link { up = 0, right = 1, down = 2, left = 3 };
    static constexpr int opposite(int link) { return (link + 2) % 4; }

    int id = kNoCard;
    int cardSet = 0;
    int cardIndex = 0;
    engine::Vec2 position;
    engine::Size size;
    int zOrder = kTopZOrder;
    // The text typed on a number card; empty for other cards.
    std::string value;
    std::array<Connector, 2> connectors;
    // Ids of neighbouring cards (up, right, down, left) or kNoCard.
    std::array<int, 4> links{kNoCard, kNoCard, kNoCard, kNoCard};

    engine::Vec2 connectorPoint(int connector) const {
        const Connector& c = connectors[static_cast<std::size_t>(connector)];
        return position + (c.anchor - engine::Vec2(size.width * 0.5f, size.height * 0.5f));
    }
};

} // namespace pavlune
