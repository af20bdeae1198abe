#include "engine/ui/EditBox.h"

#include "engine/2d/ClippingRectangleNode.h"
#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "engine/base/FileUtils.h"
#include "engine/platform/GLView.h"

#include <algorithm>
#include <cmath>

namespace engine::ui {

namespace {

// Space between the box's edges and its text, in design units.
constexpr float kPadding = 4;
constexpr float kCaretWidth = 2;

EditBox* focusedBox = nullptr;

// Behind the selected text.
const Color4B kHighlight(120, 170, 255, 150);

bool namesFontFile(const std::string& name) {
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos) {
        return false;
    }
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == "ttf" || ext == "otf" || ext == "ttc";
}

} // namespace

EditBox::EditBox() = default;

EditBox::~EditBox() {
    if (focusedBox == this) {
        focusedBox = nullptr;
        if (GLView* view = Director::getInstance()->getOpenGLView()) {
            view->setTextInputHandler(nullptr);
        }
        SDL_StopTextInput();
    }
}

EditBox* EditBox::getFocused() {
    return focusedBox;
}

EditBox* EditBox::create(const Size& size, const std::string& normalImage, TextureResType texType) {
    auto* box = new EditBox();
    if (box->initWithSizeAndBackgroundSprite(size, normalImage, texType)) {
        box->autorelease();
        return box;
    }
    box->release();
    return nullptr;
}

bool EditBox::initWithSizeAndBackgroundSprite(const Size& size, const std::string& normalImage,
                                              TextureResType) {
    if (!Node::init()) {
        return false;
    }
    setAnchorPoint(Vec2::ANCHOR_MIDDLE);
    if (!normalImage.empty()) {
        background_ = Sprite::create(normalImage);
        if (background_) {
            addChild(background_, -1);
        }
    }
    clip_ = ClippingRectangleNode::create();
    addChild(clip_);
    caret_ = LayerColor::create(Color4B::WHITE);
    underline_ = LayerColor::create(Color4B::WHITE);
    highlight_ = LayerColor::create(kHighlight);
    clip_->addChild(highlight_, 0);
    clip_->addChild(caret_, 2);
    clip_->addChild(underline_, 2);
    rebuildLabels();
    setContentSize(size);

    touchListener_ = EventListenerTouchOneByOne::create();
    touchListener_->setSwallowTouches(true);
    touchListener_->onTouchBegan = [this](Touch* touch, Event*) {
        const Vec2 local = convertTouchToNodeSpace(touch);
        const bool inside = Rect(Vec2::ZERO, getContentSize()).containsPoint(local);
        if (inside && isShownOnScreen()) {
            if (editing_ && composition_.empty()) {
                // A press in the open box places the caret; a drag selects.
                edit_.moveTo(positionAt(local.x), (SDL_GetModState() & KMOD_SHIFT) != 0);
                refresh();
            }
            return true;
        }
        if (editing_) {
            // Not claimed: whatever lies beneath still gets this touch.
            endEditing(EditBoxDelegate::EditBoxEndAction::UNKNOWN);
        }
        return false;
    };
    touchListener_->onTouchMoved = [this](Touch* touch, Event*) {
        if (editing_ && composition_.empty()) {
            edit_.moveTo(positionAt(convertTouchToNodeSpace(touch).x), true);
            refresh();
        }
    };
    touchListener_->onTouchEnded = [this](Touch* touch, Event*) {
        const Vec2 local = convertTouchToNodeSpace(touch);
        if (Rect(Vec2::ZERO, getContentSize()).containsPoint(local)) {
            touchDownAction(this, TouchEventType::ENDED);
        }
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(touchListener_, this);
    return true;
}

bool EditBox::isShownOnScreen() const {
    for (const Node* node = this; node; node = node->getParent()) {
        if (!node->isVisible()) {
            return false;
        }
    }
    return isRunning();
}

void EditBox::setContentSize(const Size& size) {
    Node::setContentSize(size);
    if (background_) {
        const Size picture = background_->getContentSize();
        background_->setPosition(size.width / 2, size.height / 2);
        background_->setScale(picture.width > 0 ? size.width / picture.width : 1,
                              picture.height > 0 ? size.height / picture.height : 1);
    }
    if (clip_) {
        clip_->setClippingRegion(Rect(Vec2::ZERO, size));
        refresh();
    }
}

void EditBox::rebuildLabels() {
    if (textLabel_) {
        textLabel_->removeFromParent();
    }
    if (placeholderLabel_) {
        placeholderLabel_->removeFromParent();
    }
    const auto make = [&](const std::string& text) {
        const bool file = namesFontFile(fontName_) && FileUtils::getInstance()->isFileExist(fontName_);
        Label* label = file || namesFontFile(fontName_)
                           ? Label::createWithTTF(text, fontName_, static_cast<float>(fontSize_))
                           : Label::createWithSystemFont(text, fontName_, static_cast<float>(fontSize_));
        label->setAnchorPoint(Vec2::ANCHOR_MIDDLE_LEFT);
        return label;
    };
    textLabel_ = make(edit_.text());
    placeholderLabel_ = make(placeholder_);
    clip_->addChild(textLabel_, 1);
    clip_->addChild(placeholderLabel_, 1);
    refresh();
}

void EditBox::setText(const char* text) {
    std::string value = text ? text : "";
    // Only ANY takes line breaks; every other mode is one line.
    if (inputMode_ != InputMode::ANY) {
        value.erase(std::remove_if(value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r'; }),
                    value.end());
    }
    edit_.setText(std::move(value));
    composition_.clear();
    refresh();
}

void EditBox::selectAll() {
    edit_.selectAll();
    refresh();
}

std::size_t EditBox::positionAt(float localX) const {
    const std::string& text = edit_.text();
    const float x = localX - textLabel_->getPositionX();
    std::size_t best = 0;
    float bestDistance = std::fabs(x);
    for (std::size_t pos = 1; pos <= text.size(); ++pos) {
        if (pos < text.size() && EditBoxText::isContinuation(text[pos])) {
            continue;
        }
        const float distance = std::fabs(textLabel_->measureText(text.substr(0, pos)) - x);
        if (distance < bestDistance) {
            best = pos;
            bestDistance = distance;
        }
    }
    return best;
}

void EditBox::setFont(const char* fontName, int fontSize) {
    fontName_ = fontName ? fontName : "";
    fontSize_ = fontSize;
    rebuildLabels();
}

void EditBox::setFontName(const char* fontName) {
    setFont(fontName, fontSize_);
}
void EditBox::setFontSize(int fontSize) {
    setFont(fontName_.c_str(), fontSize);
}

void EditBox::setFontColor(const Color3B& color) {
    setFontColor(Color4B(color.r, color.g, color.b, 255));
}

void EditBox::setFontColor(const Color4B& color) {
    fontColor_ = color;
    refresh();
}

void EditBox::setPlaceHolder(const char* text) {
    placeholder_ = text ? text : "";
    refresh();
}

void EditBox::setPlaceholderFontColor(const Color4B& color) {
    placeholderColor_ = color;
    refresh();
}

void EditBox::setTextHorizontalAlignment(TextHAlignment alignment) {
    alignment_ = alignment;
    refresh();
}

void EditBox::refresh() {
    if (!textLabel_ || !placeholderLabel_) {
        return;
    }
    const Size& size = getContentSize();
    const std::string& text = edit_.text();
    const std::string before = text.substr(0, edit_.caret());
    const std::string shown = editing_ ? before + composition_ + text.substr(edit_.caret()) : text;
    textLabel_->setString(shown);
    textLabel_->setTextColor(fontColor_);
    placeholderLabel_->setString(placeholder_);
    placeholderLabel_->setTextColor(placeholderColor_);
    placeholderLabel_->setVisible(shown.empty() && !editing_);

    const float textWidth = textLabel_->measureText(shown);
    float x = kPadding;
    if (alignment_ == TextHAlignment::CENTER) {
        x = (size.width - textWidth) / 2;
    } else if (alignment_ == TextHAlignment::RIGHT) {
        x = size.width - kPadding - textWidth;
    }
    const float caretOffset = textLabel_->measureText(before + composition_.substr(0, compositionCursor_));
    // Keep the caret inside the box when the text is wider than it.
    if (editing_ && x + caretOffset > size.width - kPadding) {
        x = size.width - kPadding - caretOffset;
    }
    if (editing_ && x + caretOffset < kPadding) {
        x = kPadding - caretOffset;
    }
    const float middle = size.height / 2;
    textLabel_->setPosition(x, middle);
    const float placeholderWidth = placeholderLabel_->measureText(placeholder_);
    float placeholderX = kPadding;
    if (alignment_ == TextHAlignment::CENTER) {
        placeholderX = (size.width - placeholderWidth) / 2;
    } else if (alignment_ == TextHAlignment::RIGHT) {
        placeholderX = size.width - kPadding - placeholderWidth;
    }
    placeholderLabel_->setPosition(placeholderX, middle);

    const float lineHeight = std::max(textLabel_->getLineHeight(), static_cast<float>(fontSize_));
    const Color3B ink(fontColor_.r, fontColor_.g, fontColor_.b);
    caret_->setVisible(editing_);
    caret_->setColor(ink);
    caret_->changeWidthAndHeight(kCaretWidth, lineHeight);
    caret_->setPosition(x + caretOffset - kCaretWidth / 2, middle - lineHeight / 2);
    underline_->setVisible(editing_ && !composition_.empty());
    underline_->setColor(ink);
    const float compositionStart = textLabel_->measureText(before);
    underline_->changeWidthAndHeight(
        std::max(1.0f, textLabel_->measureText(before + composition_) - compositionStart), 1.5f);
    underline_->setPosition(x + compositionStart, middle - lineHeight / 2);
    const auto [selectionBegin, selectionEnd] = edit_.selection();
    highlight_->setVisible(editing_ && composition_.empty() && edit_.hasSelection());
    if (highlight_->isVisible()) {
        const float from = textLabel_->measureText(text.substr(0, selectionBegin));
        const float to = textLabel_->measureText(text.substr(0, selectionEnd));
        highlight_->changeWidthAndHeight(to - from, lineHeight);
        highlight_->setPosition(x + from, middle - lineHeight / 2);
    }
    if (editing_) {
        updateImeRect();
    }
}

void EditBox::updateImeRect() {
    GLView* view = Director::getInstance()->getOpenGLView();
    if (!view || !isRunning()) {
        return;
    }
    const Vec2 bottomLeft = convertToWorldSpace(Vec2::ZERO);
    const Vec2 topRight = convertToWorldSpace(Vec2(getContentSize().width, getContentSize().height));
    Director* director = Director::getInstance();
    const Vec2 a = view->designInViewToFrame(director->convertToUI(bottomLeft));
    const Vec2 b = view->designInViewToFrame(director->convertToUI(topRight));
    SDL_Rect rect{static_cast<int>(std::min(a.x, b.x)), static_cast<int>(std::min(a.y, b.y)),
                  static_cast<int>(std::fabs(b.x - a.x)), static_cast<int>(std::fabs(b.y - a.y))};
    SDL_SetTextInputRect(&rect);
}

void EditBox::touchDownAction(Ref*, TouchEventType controlEvent) {
    if (controlEvent == TouchEventType::ENDED) {
        openKeyboard();
    }
}

void EditBox::openKeyboard() {
    if (editing_) {
        return;
    }
    if (focusedBox && focusedBox != this) {
        focusedBox->closeKeyboard();
    }
    editing_ = true;
    focusedBox = this;
    edit_.moveEnd(false);
    composition_.clear();
    compositionCursor_ = 0;
    if (GLView* view = Director::getInstance()->getOpenGLView()) {
        view->setTextInputHandler([this](const SDL_Event& event) { return handleTextEvent(event); });
    }
    SDL_StartTextInput();
    refresh();
    if (delegate_) {
        retain();
        delegate_->editBoxEditingDidBegin(this);
        release();
    }
}

void EditBox::closeKeyboard() {
    endEditing(EditBoxDelegate::EditBoxEndAction::UNKNOWN);
}

void EditBox::endEditing(EditBoxDelegate::EditBoxEndAction action) {
    if (!editing_) {
        return;
    }
    editing_ = false;
    composition_.clear();
    compositionCursor_ = 0;
    if (focusedBox == this) {
        focusedBox = nullptr;
        if (GLView* view = Director::getInstance()->getOpenGLView()) {
            view->setTextInputHandler(nullptr);
        }
        SDL_StopTextInput();
    }
    refresh();
    if (delegate_) {
        retain(); // the delegate may remove the box
        delegate_->editBoxEditingDidEndWithAction(this, action);
        if (delegate_) {
            delegate_->editBoxEditingDidEnd(this);
        }
        release();
    }
}

void EditBox::onExit() {
    endEditing(EditBoxDelegate::EditBoxEndAction::UNKNOWN);
    Widget::onExit();
}

void EditBox::textChanged() {
    refresh();
    if (delegate_) {
        retain();
        delegate_->editBoxTextChanged(this, edit_.text());
        release();
    }
}

void EditBox::insertText(const std::string& input) {
    std::string text = input;
    if (inputMode_ != InputMode::ANY) {
        text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }),
                   text.end());
    }
    if (maxLength_ > 0) {
        // The selection makes room: it is replaced.
        const std::size_t have = EditBoxText::countCharacters(edit_.text()) - edit_.selectedCharacters();
        const std::size_t room = have >= static_cast<std::size_t>(maxLength_) ? 0 : maxLength_ - have;
        text.resize(EditBoxText::bytesOfCharacters(text, room));
    }
    if (text.empty() || !edit_.insert(text)) {
        return;
    }
    textChanged();
}

void EditBox::pasteClipboard() {
    if (!SDL_HasClipboardText()) {
        return;
    }
    if (char* clip = SDL_GetClipboardText()) {
        insertText(clip);
        SDL_free(clip);
    }
}

void EditBox::copySelection(bool cut) {
    if (!edit_.hasSelection()) {
        return;
    }
    SDL_SetClipboardText(edit_.selectedText().c_str());
    if (cut) {
        edit_.cutSelection();
        textChanged();
    }
}

bool EditBox::handleTextEvent(const SDL_Event& event) {
    if (!editing_) {
        return false;
    }
    switch (event.type) {
    case SDL_TEXTINPUT:
        composition_.clear();
        compositionCursor_ = 0;
        insertText(event.text.text);
        refresh();
        return true;
    case SDL_TEXTEDITING:
        composition_ = event.edit.text;
        compositionCursor_ = EditBoxText::bytesOfCharacters(
            composition_, static_cast<std::size_t>(std::max(0, event.edit.start)));
        refresh();
        return true;
    case SDL_KEYDOWN:
        handleKey(event.key);
        return true;
    default:
        return true; // key releases belong to the box while it is open
    }
}

void EditBox::handleKey(const SDL_KeyboardEvent& key) {
    if (!composition_.empty()) {
        return; // the input method owns the keys while it composes
    }
    const bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
    const bool shift = (key.keysym.mod & KMOD_SHIFT) != 0;
    switch (key.keysym.sym) {
    case SDLK_BACKSPACE:
        if (edit_.eraseBackward()) {
            textChanged();
        }
        break;
    case SDLK_DELETE:
        if (shift) {
            copySelection(true);
        } else if (edit_.eraseForward()) {
            textChanged();
        }
        break;
    case SDLK_LEFT:
        edit_.moveLeft(shift);
        refresh();
        break;
    case SDLK_RIGHT:
        edit_.moveRight(shift);
        refresh();
        break;
    case SDLK_HOME:
        edit_.moveHome(shift);
        refresh();
        break;
    case SDLK_END:
        edit_.moveEnd(shift);
        refresh();
        break;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        retain(); // the delegate may remove the box
        if (delegate_) {
            delegate_->editBoxReturn(this);
        }
        endEditing(EditBoxDelegate::EditBoxEndAction::RETURN);
        release();
        break;
    case SDLK_ESCAPE:
        endEditing(EditBoxDelegate::EditBoxEndAction::CANCEL);
        break;
    case SDLK_a:
        if (ctrl) {
            selectAll();
        }
        break;
    case SDLK_x:
    case SDLK_c:
        if (ctrl) {
            copySelection(key.keysym.sym == SDLK_x);
        }
        break;
    case SDLK_v:
        if (ctrl) {
            pasteClipboard();
        }
        break;
    case SDLK_INSERT:
        if (shift) {
            pasteClipboard();
        } else if (ctrl) {
            copySelection(false);
        }
        break;
    default:
        break;
    }
}

} // namespace engine::ui
