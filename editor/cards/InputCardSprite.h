#pragma once

#include "editor/cards/CardSprite.h"

#include <string>
#include <vector>

namespace engine {
class LabelAtlas;
}

// A card that carries a number typed by the user (how long to wait, how
// often to repeat). Its front shows the number as typed, large and small; its
// back shows it scaled into the unit of the current dialect and rounded.
//
// The labels are children of the face, placed by the card's input
// rectangles (offsets from the face centre, with the box each label is fitted
// into): 0 front large, 1 front small, 2 back. With fewer than three
// rectangles the card draws no number.
class InputCardSprite : public CardSprite {
public:
    static constexpr const char* kFrontLargeDigits = "res/r_input_num_jam_l.png";
    static constexpr const char* kFrontSmallDigits = "res/r_input_num_jam_s.png";
    static constexpr int kLargeDigitWidth = 24;
    static constexpr int kLargeDigitHeight = 36;
    static constexpr int kSmallDigitWidth = 12;
    static constexpr int kSmallDigitHeight = 18;
    // The character maps start at "." ("/" then the digits follow).
    static constexpr char kFirstDigitMapChar = '.';
    // The frame that marks a wrong number.
    static constexpr float kWrongMarkWidth = 6;
    static constexpr int kWrongMarkZOrder = 10;

    // `multiplier` scales the typed number for the back, whose label draws
    // with `backDigits` (the dialect's digit map). Null when a picture cannot
    // be loaded.
    static InputCardSprite* create(const std::string& image, const std::string& backImage,
                                   std::vector<engine::Rect> inputRects, float multiplier,
                                   const std::string& backDigits);
    // The number card (set, index) as `catalogue`'s dialect shows it, its key
    // already set. Null for a card the catalogue lacks.
    static InputCardSprite* createForCard(const pavlune::CatalogueView& catalogue, int set, int index);

    using CardSprite::init;
    virtual bool init(const std::string& image, const std::string& backImage,
                      std::vector<engine::Rect> inputRects, float multiplier, const std::string& backDigits);

    // Also takes the dialect's digit map, input rectangles and multiplier
    // for this card's key, and redraws the number with them.
    void showDialect(const pavlune::CatalogueView& catalogue) override;
    // The empty text shows nothing on either side. A value that the card's
    // number rule refuses (read so from a program file) is kept as it is
    // but not drawn: a red frame round the card marks it as wrong.
    void setValue(const std::string& value) override;
    bool isValueWrong() const { return wrongMark_ && wrongMark_->isVisible(); }
    engine::Node* getWrongMark() const { return wrongMark_; }
    // Shows the front labels or the back label, whichever side the face shows.
    void refreshFace() override;

    float getMultiplier() const { return multiplier_; }
    const std::vector<engine::Rect>& getInputRects() const { return inputRects_; }
    // Null when the card draws no number.
    engine::LabelAtlas* getFrontLargeLabel() const { return frontLarge_; }
    engine::LabelAtlas* getFrontSmallLabel() const { return frontSmall_; }
    engine::LabelAtlas* getBackLabel() const { return backLabel_; }

protected:
    InputCardSprite() = default;

private:
    static constexpr int kRectCount = 3;

    engine::Vec2 labelPosition(int rect) const;
    void fitLabels();
    void showWrongMark(bool wrong);

    float multiplier_ = 1.0f;
    std::vector<engine::Rect> inputRects_;
    engine::LabelAtlas* frontLarge_ = nullptr;
    engine::LabelAtlas* frontSmall_ = nullptr;
    engine::LabelAtlas* backLabel_ = nullptr;
    engine::Node* wrongMark_ = nullptr;
};
