#pragma once

#include "engine/2d/Layer.h"
#include "engine/ui/EditBoxDelegate.h"

#include <functional>
#include <string>
#include <vector>

namespace engine {
class EventListenerTouchOneByOne;
class Sprite;
namespace ui {
class EditBox;
}
} // namespace engine

class InputCardSprite;

// The modal editor of a number card's value: a dimmed screen with the card's
// front picture where the card is, and an edit box over its large number
// field, open for typing at once. A press anywhere outside the box or the
// return key commits; Escape closes it without change.
//
// Committed text must be a plain number (digits, at most one "."; empty is
// allowed) whose scaled value stays free of exponent form in every dialect.
// Anything else shakes the editor, which stays open. An accepted text sets
// the card's value, calls onCommit and fades the editor out.
//
// Add it to the scene at the origin: the picture is placed by the card's
// position in world (screen) units. It is used once; removed from the scene
// by its owner, it closes without calling either callback.
class NumberEditor : public engine::Layer, public engine::ui::EditBoxDelegate {
public:
    static constexpr float kFadeDuration = 0.1f;
    static constexpr float kShakeStepDuration = 0.02f;
    static constexpr float kShakeDistance = 10;
    static constexpr unsigned int kShakeCount = 3;
    static constexpr int kShakeTag = 0x5348;
    static constexpr const char* kBoxBackground = "res/r_empty.png";
    static constexpr const char* kFont = "fonts/PavluneBoard-1.2.ttf";
    static constexpr int kFontSize = 20;

    using Callback = std::function<void(NumberEditor* editor, InputCardSprite* card)>;

    // Null when the card has no input rectangles (there is nothing to edit)
    // or a picture cannot be loaded. The editor keeps the
    // card (retained) until it is destroyed.
    static NumberEditor* create(InputCardSprite* card);

    using engine::Layer::init;
    virtual bool init(InputCardSprite* card);

    // The card already holds its new value; the editor is fading out. The
    // place to save the field.
    Callback onCommit;
    // Closed without change (Escape, or the box lost the keyboard to another).
    Callback onCancel;

    // Checks the typed text and either takes it or shakes the editor. True
    // when taken (or when the editor is already closing).
    bool commit();
    // Closes without changing the card.
    void cancel();

    bool isClosing() const { return closing_; }
    InputCardSprite* getCard() const { return card_; }
    engine::ui::EditBox* getEditBox() const { return editBox_; }
    engine::Sprite* getPicture() const { return picture_; }

    void editBoxReturn(engine::ui::EditBox* editBox) override;
    void editBoxEditingDidEndWithAction(engine::ui::EditBox* editBox, EditBoxEndAction action) override;
    void onEnter() override;
    void onExit() override;

protected:
    NumberEditor() = default;
    ~NumberEditor() override;

private:
    void listenForPressOutside();
    void shake();
    void close();
    // Multipliers of the card in every dialect.
    std::vector<float> multipliersOfCard() const;

    InputCardSprite* card_ = nullptr;
    engine::Sprite* picture_ = nullptr;
    engine::ui::EditBox* editBox_ = nullptr;
    engine::Node* touchShield_ = nullptr;
    bool closing_ = false;
};
