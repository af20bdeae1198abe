#pragma once

#include "engine/2d/TextAlignment.h"
#include "engine/ui/EditBoxDelegate.h"
#include "engine/ui/EditBoxText.h"
#include "engine/ui/Widget.h"

#include <SDL.h>
#include <string>

namespace engine {
class ClippingRectangleNode;
class EventListenerTouchOneByOne;
class Label;
class LayerColor;
class Sprite;
} // namespace engine

namespace engine::ui {

// A one-line text field over a background picture. A tap inside opens it
// (touchDownAction with ENDED opens it at once); while open it takes the
// keyboard through SDL text input: typed and pasted text, an IME composition
// (shown underlined at the caret while it is typed), Backspace, Delete,
// Left/Right, Home/End, Return (the delegate's return, then the end of
// editing) and Escape (the end of editing with the action CANCEL). Shift with
// the arrows or Home/End, Ctrl+A and a drag inside the open box select text,
// drawn highlighted; typing replaces the selection, and Ctrl+X/C/V (also
// Shift+Delete, Ctrl+Insert, Shift+Insert) cut, copy and paste it through the
// system clipboard. A touch outside the box ends editing. One box is open
// at a time. The font is a font file when the name names one that exists
// ("fonts/....ttf"), otherwise a system font.
class EditBox : public Widget {
public:
    enum class InputMode { ANY, EMAIL_ADDRESS, NUMERIC, PHONE_NUMBER, URL, DECIMAL, SINGLE_LINE };
    enum class InputFlag {
        PASSWORD,
        SENSITIVE,
        INITIAL_CAPS_WORD,
        INITIAL_CAPS_SENTENCE,
        INITIAL_CAPS_ALL_CHARACTERS,
        LOWERCASE_ALL_CHARACTERS,
    };
    enum class KeyboardReturnType { DEFAULT, DONE, SEND, SEARCH, GO, NEXT };

    static EditBox* create(const Size& size, const std::string& normalImage,
                           TextureResType texType = TextureResType::LOCAL);
    bool initWithSizeAndBackgroundSprite(const Size& size, const std::string& normalImage,
                                         TextureResType texType = TextureResType::LOCAL);

    void setText(const char* text);
    const char* getText() const { return edit_.text().c_str(); }
    // Selects the whole text (the caret at its end).
    void selectAll();
    std::string getSelectedText() const { return edit_.selectedText(); }

    void setFont(const char* fontName, int fontSize);
    void setFontName(const char* fontName);
    void setFontSize(int fontSize);
    void setFontColor(const Color3B& color);
    void setFontColor(const Color4B& color);
    void setPlaceHolder(const char* text);
    const char* getPlaceHolder() const { return placeholder_.c_str(); }
    void setPlaceholderFontColor(const Color4B& color);
    void setTextHorizontalAlignment(TextHAlignment alignment);
    TextHAlignment getTextHorizontalAlignment() const { return alignment_; }

    void setInputMode(InputMode mode) { inputMode_ = mode; }
    InputMode getInputMode() const { return inputMode_; }
    void setInputFlag(InputFlag flag) { inputFlag_ = flag; }
    void setReturnType(KeyboardReturnType type) { returnType_ = type; }
    KeyboardReturnType getReturnType() const { return returnType_; }
    // In characters; 0 or less means no limit.
    void setMaxLength(int length) { maxLength_ = length; }
    int getMaxLength() const { return maxLength_; }

    void setDelegate(EditBoxDelegate* delegate) { delegate_ = delegate; }
    EditBoxDelegate* getDelegate() const { return delegate_; }

    // ENDED opens the box for typing at once (as a tap inside does).
    void touchDownAction(Ref* sender, TouchEventType controlEvent);
    void openKeyboard();
    void closeKeyboard();
    bool isEditing() const { return editing_; }
    // The box being edited, or null.
    static EditBox* getFocused();

    // The IME composition being typed, and the caret as a byte offset into the text.
    const std::string& getComposition() const { return composition_; }
    std::size_t getCursorPosition() const { return edit_.caret(); }
    // The label that shows the text (and the composition while typing).
    Label* getTextLabel() const { return textLabel_; }

    void setContentSize(const Size& size) override;
    void onExit() override;

protected:
    EditBox();
    ~EditBox() override;

private:
    bool handleTextEvent(const SDL_Event& event);
    void handleKey(const SDL_KeyboardEvent& key);
    void insertText(const std::string& text);
    void pasteClipboard();
    void copySelection(bool cut);
    // The text position nearest to `localX` (the box's own space).
    std::size_t positionAt(float localX) const;
    void endEditing(EditBoxDelegate::EditBoxEndAction action);
    void textChanged();
    void rebuildLabels();
    void refresh();
    bool isShownOnScreen() const;
    void updateImeRect();

    EditBoxText edit_;
    std::string placeholder_;
    std::string composition_;
    std::size_t compositionCursor_ = 0; // bytes into composition_
    std::string fontName_;
    int fontSize_ = 20;
    Color4B fontColor_ = Color4B::WHITE;
    Color4B placeholderColor_ = Color4B(128, 128, 128, 255);
    TextHAlignment alignment_ = TextHAlignment::LEFT;
    InputMode inputMode_ = InputMode::SINGLE_LINE;
    InputFlag inputFlag_ = InputFlag::INITIAL_CAPS_ALL_CHARACTERS;
    KeyboardReturnType returnType_ = KeyboardReturnType::DEFAULT;
    int maxLength_ = 0;
    EditBoxDelegate* delegate_ = nullptr;
    bool editing_ = false;

    Sprite* background_ = nullptr;
    ClippingRectangleNode* clip_ = nullptr;
    Label* textLabel_ = nullptr;
    Label* placeholderLabel_ = nullptr;
    LayerColor* caret_ = nullptr;
    LayerColor* underline_ = nullptr;
    LayerColor* highlight_ = nullptr;
    EventListenerTouchOneByOne* touchListener_ = nullptr;
};

} // namespace engine::ui
