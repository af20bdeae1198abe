#pragma once

#include "editor/palette/PaletteDrag.h"
#include "engine/2d/LayerColor.h"
#include "engine/base/RefPtr.h"

#include <array>
#include <vector>

namespace engine {
class LabelAtlas;
class Sprite;
class Touch;
} // namespace engine

class CardSprite;
class EditorChoices;
class FieldBoard;
class FieldScrollView;

// The palette on the left of the editor: a white panel with one tab per card
// set, the scrolling list of the current set's cards (first card at the top),
// each with a badge counting how many such cards lie on the field, and two
// buttons that scroll the list by a page. Dragging a card out of the list
// places a copy on the field (PaletteDrag).
//
// The card set is the editor's choice (EditorChoices), so it survives leaving
// the editor; the list's scroll position is kept per set while the palette lives.
class CardPalette : public engine::LayerColor {
public:
    static constexpr float kTabStripHeight = 53;
    static constexpr float kBorder = 5;
    // Above the tabs: half the border, so that the fingertip squares of the
    // tabs and of the page button under them meet without overlapping.
    static constexpr float kTabTopGap = 2.5f;
    // Free space between cards, and below the last and above the first.
    static constexpr float kCardGap = 20;
    static constexpr float kEndGap = 40;
    static constexpr float kPageStep = 300;
    // As on the field: half a row a wheel step.
    static constexpr float kWheelStep = 65;
    // A saved offset of this value means the set was never shown.
    static constexpr float kNoSavedOffset = 9999;
    static constexpr const char* kBadgeImage = "res/r_card_num.png";
    static constexpr const char* kCountDigits = "res/r_field_num_w.png";
    static constexpr int kCountDigitWidth = 9;
    static constexpr int kCountDigitHeight = 11;
    static constexpr const char* kUpImage = "res/menuup.png";
    static constexpr const char* kDownImage = "res/menudown.png";

    // `board` receives the dragged cards and gives the counts; `floatLayer`
    // (the scene, at the origin) carries the floating card; `choices` holds
    // the card set shown. None is owned.
    static CardPalette* create(FieldBoard* board, engine::Node* floatLayer, EditorChoices& choices);

    // Refills the list with the current set's cards.
    void buildPalette();
    // Keeps the list's position for the set being left, shows `cardSet`.
    void selectCardSet(int cardSet);
    // The badge of a card shows the field's count again (when its set is shown).
    void updateUseCount(int cardSet, int cardIndex);
    // One page towards the first cards (up button) or the last (down button).
    void scrollTowardsFirst();
    void scrollTowardsLast();
    // The mouse wheel over the palette: `scrollY` > 0 (towards the user)
    // brings later cards into view.
    void scrollByWheel(float scrollY);

    FieldScrollView* getPaletteView() const { return view_; }
    // By card index; null where a card's picture could not be loaded.
    CardSprite* paletteCard(int cardIndex) const;
    engine::LabelAtlas* countLabel(int cardIndex) const;
    int paletteCardCount() const { return static_cast<int>(cards_.size()); }
    engine::Sprite* tabSprite(int cardSet) const;
    engine::Sprite* getUpButton() const { return upButton_; }
    engine::Sprite* getDownButton() const { return downButton_; }
    // The drag out of the palette, with its hooks and its floating card.
    PaletteDrag& getDrag() { return drag_; }

protected:
    CardPalette(FieldBoard* board, engine::Node* floatLayer, EditorChoices& choices);
    ~CardPalette() override;
    bool initPalette();

private:
    using engine::LayerColor::init;
    void addDecorations(const engine::Size& visible);
    void addScrollButtons(const engine::Size& visible);
    void addTabs(const engine::Size& visible);
    void listenToCards();
    bool pressCard(engine::Touch* touch, CardSprite* card);
    // The list's offset within its limits (the first card's end when the
    // list is shorter than the window).
    float clampedOffsetY(float y) const;
    void scrollTo(float y);

    FieldBoard* board_;
    EditorChoices& choices_;
    PaletteDrag drag_;
    FieldScrollView* view_ = nullptr;
    engine::Sprite* upButton_ = nullptr;
    engine::Sprite* downButton_ = nullptr;
    std::array<engine::Sprite*, 3> tabs_{};
    std::array<float, 3> savedOffsets_{kNoSavedOffset, kNoSavedOffset, kNoSavedOffset};
    std::vector<engine::RefPtr<CardSprite>> cards_;
    std::vector<engine::RefPtr<engine::LabelAtlas>> countLabels_;
};
