#pragma once

#include "engine/2d/Layer.h"
#include "engine/ui/EditBoxDelegate.h"

#include <functional>
#include <string>

namespace engine {
class EventListenerTouchOneByOne;
class Label;
class Sprite;
namespace ui {
class EditBox;
}
} // namespace engine

class InputCardSprite;

// The modal editor of a number card's value: a dimmed screen with the card's
// front picture where the card is, and an edit box over its large number
// field, open for typing at once with the number selected (typing replaces it). A press anywhere outside the
// box or the return key commits; Escape closes it without change.
//
// Committed text, with full-width digits and points read as half-width ones,
// must be a number the card's rule accepts (tenths of a second on a wait,
// whole turns from 1 on a loop; small enough for every dialect). Anything
// else shakes the editor, which stays open and says why on a line under the
// box. An emptied box gets the card's number back, with a line saying so.
// An accepted text sets the card's value, calls onCommit and fades the
// editor out.
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
    // Long enough for every accepted number with leading zeros ("0999.9",
    // "065535"), short enough to stay inside the box.
    static constexpr int kMaxLength = 8;
    static constexpr int kReasonFontSize = 18;
    static constexpr float kReasonGap = 12;

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
    // Why the last commit was refused; empty before any refusal.
    std::string getReason() const;
    engine::Label* getReasonLabel() const { return reason_; }

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
    void showReason(const std::string& text);

    InputCardSprite* card_ = nullptr;
    engine::Sprite* picture_ = nullptr;
    engine::ui::EditBox* editBox_ = nullptr;
    engine::Node* touchShield_ = nullptr;
    engine::Label* reason_ = nullptr;
    bool closing_ = false;
};
