#pragma once

#include "engine/base/Geometry.h"

namespace engine {
class Node;
class Sprite;
} // namespace engine

class CardSprite;

// The trash at the top right of the field: invisible until a card is lifted,
// its lid open while a dragged card is over it. A card dropped inside an area
// twice the picture's size (about its centre) goes into it.
class TrashCan {
public:
    static constexpr const char* kClosedImage = "res/r_card_clean.png";
    static constexpr const char* kOpenImage = "res/r_card_clean_on.png";
    static constexpr float kFadeDuration = 0.2f;

    // The trash picture placed for a visible size, invisible; null when the
    // picture cannot be loaded.
    static engine::Sprite* createSprite(const engine::Size& visibleSize);

    explicit TrashCan(engine::Sprite* sprite) : sprite_(sprite) {}

    engine::Sprite* getSprite() const { return sprite_; }
    // Whether a screen point lies in the doubled trash area.
    bool contains(const engine::Vec2& screenPoint) const;
    // Opens the lid and tints the card while `screenPoint` is over the trash,
    // closes it and restores the card otherwise. Returns whether it is over.
    bool updateHover(CardSprite* card, const engine::Vec2& screenPoint);
    // The trash's centre in the space of `parent` (where a removed card flies to).
    engine::Vec2 positionIn(const engine::Node* parent) const;

    // Shows the trash when a card is lifted.
    void appear();
    // Hides it when the cards were put down elsewhere.
    void disappear();
    // The lid closes over what was dropped in, then the trash fades away.
    void swallowDropped();
    // A row edit pushed a card into the trash: it shows with its lid open,
    // closes and fades away.
    void swallowPushed();

private:
    engine::Sprite* sprite_;
};
