#pragma once

#include "engine/2d/Node.h"

#include <cstdint>
#include <string>

namespace pavlune {
class CatalogueView;
} // namespace pavlune

namespace engine {
class EventListener;
class EventListenerTouchOneByOne;
class Sprite;
} // namespace engine

// The node of every card on screen (palette, field, row slots, number plates,
// the play button). Its picture is a child sprite, the face, so that the face
// can turn about the vertical axis while the card itself keeps its place and
// its touch area. A card with a back image has an invisible flick corner at
// its lower right; a tap on it turns the card over to show its code.
//
// Where the card sits in the program (its connectors and neighbours) is the
// field model's business, not the node's: `modelId` lets the editor map a
// node to its card in that model.
class CardSprite : public engine::Node {
public:
    // Each half of a turn-over: to edge-on, then on to the other side.
    static constexpr float kTurnHalfDuration = 0.2f;
    static constexpr std::uint8_t kCornerPressedOpacity = 192;
    static constexpr const char* kFlickCornerImage = "res/r_card_flick.png";

    // A card that cannot be turned over. Null when the picture cannot be loaded.
    static CardSprite* create(const std::string& image);
    // An empty `backImage` makes a card that cannot be turned over.
    static CardSprite* create(const std::string& image, const std::string& backImage);
    // The card (set, index) with its back in `catalogue`'s dialect, its key
    // already set. Null for a card the catalogue lacks.
    static CardSprite* createForCard(const pavlune::CatalogueView& catalogue, int set, int index);

    using engine::Node::init;
    virtual bool init(const std::string& image, const std::string& backImage);

    // A card's colour and opacity are its picture's.
    void setOpacity(std::uint8_t opacity) override;
    void setColor(const engine::Color3B& color) override;

    // Sets the back image; a card showing its back shows the new one at once.
    void setBackImage(const std::string& backImage);
    // Shows the card's code in `catalogue`'s dialect (its back image).
    virtual void showDialect(const pavlune::CatalogueView& catalogue);
    virtual void setValue(const std::string& value);
    // Called when the face has changed between front and back.
    virtual void refreshFace();

    // Starts turning the card over, as a tap on the flick corner does. False
    // (and nothing happens) when the card has no back image or is already turning.
    bool turnOver();

    // The card key: its card set (saved as "tab") and its index in that set.
    void setCardKey(int set, int index);
    int getCardSet() const { return cardSet_; }
    int getCardIndex() const { return cardIndex_; }
    const std::string& getValue() const { return value_; }
    const std::string& getImage() const { return image_; }
    const std::string& getBackImage() const { return backImage_; }
    bool isFlipped() const { return flipped_; }
    bool isFlipping() const { return flipping_; }
    engine::Sprite* getFace() const { return face_; }
    // Null for a card without a back image.
    engine::Sprite* getFlickCorner() const { return flickCorner_; }

    // The palette's touch listener for this card, kept (retained) as long as the card.
    void setPaletteListener(engine::EventListener* listener);
    engine::EventListener* getPaletteListener() const { return paletteListener_; }

    // The editor's own number for the model card this node shows; -1 for none.
    int modelId = -1;

protected:
    CardSprite() = default;
    ~CardSprite() override;

    std::string value_;

private:
    void addFlickCorner();
    bool isOnFlickCorner(const engine::Vec2& worldPoint) const;

    int cardSet_ = 0;
    int cardIndex_ = 0;
    engine::Sprite* face_ = nullptr;
    engine::Sprite* flickCorner_ = nullptr;
    engine::EventListener* paletteListener_ = nullptr;
    bool flipped_ = false;
    bool flipping_ = false;
    // Differs from flipped_ during the first half of a turn.
    bool faceShowsBack_ = false;
    std::string image_;
    std::string backImage_;
};
