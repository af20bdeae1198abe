#include "editor/cards/NumberEditor.h"

#include "editor/EditorTexts.h"
#include "editor/cards/InputCardSprite.h"
#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/FadeOut.h"
#include "engine/2d/actions/MoveTo.h"
#include "engine/2d/actions/RemoveSelf.h"
#include "engine/2d/actions/Repeat.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "engine/ui/EditBox.h"
#include "program/CardNumberRule.h"
#include "program/NumberText.h"

#include <cmath>
#include <new>

using engine::Vec2;
using engine::ui::EditBox;

NumberEditor* NumberEditor::create(InputCardSprite* card) {
    auto* editor = new (std::nothrow) NumberEditor();
    if (editor && editor->init(card)) {
        editor->autorelease();
        return editor;
    }
    delete editor;
    return nullptr;
}

NumberEditor::~NumberEditor() {
    if (editBox_) {
        editBox_->setDelegate(nullptr);
    }
    engine::safeRelease(card_);
}

bool NumberEditor::init(InputCardSprite* card) {
    if (!card || card->getInputRects().empty() || !Layer::init()) {
        return false;
    }
    card_ = card;
    card_->retain();
    setCascadeOpacityEnabled(true);

    const engine::Director* director = engine::Director::getInstance();
    const engine::Size visible = director->getVisibleSize();
    auto* dim = engine::LayerColor::create(engine::Color4B(0, 0, 0, 128), visible.width, visible.height);
    picture_ = engine::Sprite::create(card->getImage());
    editBox_ = EditBox::create(engine::Size(1, 1), kBoxBackground);
    if (!dim || !picture_ || !editBox_) {
        return false;
    }
    dim->setPosition(director->getVisibleOrigin());
    addChild(dim);
    picture_->setPosition(card->convertToWorldSpaceAR(Vec2::ZERO));
    addChild(picture_);

    // The box covers the large number field, grown to the picture's width
    // so that long numbers stay readable.
    const Vec2 offset = card->getInputRects().front().origin;
    const engine::Size picture = picture_->getContentSize();
    editBox_->setContentSize(
        engine::Size(picture.width + std::fabs(2 * offset.x), picture.height + 2 * offset.y));
    editBox_->setFont(kFont, kFontSize);
    editBox_->setFontColor(engine::Color3B::BLACK);
    editBox_->setText(card->getValue().c_str());
    editBox_->setInputMode(EditBox::InputMode::DECIMAL);
    editBox_->setReturnType(EditBox::KeyboardReturnType::GO);
    editBox_->setPosition(picture_->getPosition() + offset);
    editBox_->setDelegate(this);
    editBox_->setTextHorizontalAlignment(engine::TextHAlignment::CENTER);
    editBox_->setMaxLength(kMaxLength);
    addChild(editBox_);

    listenForPressOutside();
    return true;
}

void NumberEditor::listenForPressOutside() {
    // Drawn above the box, so it is asked before the box: a press outside
    // commits while the box keeps the keyboard, and a refused text can be
    // corrected at once.
    touchShield_ = engine::Node::create();
    if (!touchShield_) {
        return;
    }
    addChild(touchShield_);
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](engine::Touch* touch, engine::Event*) {
        if (editBox_->getBoundingBox().containsPoint(convertToNodeSpace(touch->getLocation()))) {
            return false; // the box's own touch
        }
        commit();
        return true;
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, touchShield_);
}

void NumberEditor::onEnter() {
    Layer::onEnter();
    if (!closing_) {
        editBox_->touchDownAction(editBox_, engine::ui::Widget::TouchEventType::ENDED);
        // Typing replaces the number (a new card's 1 would otherwise make 5 into 15).
        editBox_->selectAll();
    }
}

void NumberEditor::onExit() {
    // Leaving the scene closes the box; that is neither a commit nor a cancel.
    closing_ = true;
    Layer::onExit();
}

bool NumberEditor::commit() {
    if (closing_) {
        return true;
    }
    const pavlune::CardNumberRule rule =
        pavlune::CardNumberRule::forCard(card_->getCardSet(), card_->getCardIndex());
    const std::string typed = pavlune::halfWidthNumber(editBox_->getText());
    if (typed.empty() && rule.check(card_->getValue()) == pavlune::CardNumberRule::Problem::none) {
        // An emptied box is no number: the old one comes back, and the child
        // sees why before taking it with another commit.
        editBox_->setText(card_->getValue().c_str());
        showReason(EditorTexts::kNumberKept);
        return false;
    }
    const std::optional<std::string> value = rule.accept(typed);
    if (!value) {
        showReason(EditorTexts::numberRefusal(rule, rule.check(typed)));
        shake();
        return false;
    }
    card_->setValue(*value);
    close();
    if (onCommit) {
        const Callback callback = onCommit;
        callback(this, card_);
    }
    return true;
}

void NumberEditor::cancel() {
    if (closing_) {
        return;
    }
    close();
    if (onCancel) {
        const Callback callback = onCancel;
        callback(this, card_);
    }
}

std::string NumberEditor::getReason() const {
    return reason_ ? reason_->getString() : std::string();
}

void NumberEditor::showReason(const std::string& text) {
    if (!reason_) {
        reason_ = engine::Label::createWithSystemFont(text, "Helvetica", kReasonFontSize);
        if (!reason_) {
            return;
        }
        // White on the dimmed screen, centred under the box.
        reason_->setTextColor(engine::Color4B::WHITE);
        reason_->setAnchorPoint(Vec2(0.5f, 1));
        const engine::Rect box = editBox_->getBoundingBox();
        reason_->setPosition(box.getMidX(), box.getMinY() - kReasonGap);
        addChild(reason_);
    }
    reason_->setString(text);
}

void NumberEditor::shake() {
    stopActionByTag(kShakeTag);
    auto* once =
        engine::Sequence::create(engine::MoveTo::create(kShakeStepDuration, Vec2(-kShakeDistance, 0)),
                                 engine::MoveTo::create(kShakeStepDuration, Vec2::ZERO),
                                 engine::MoveTo::create(kShakeStepDuration, Vec2(kShakeDistance, 0)),
                                 engine::MoveTo::create(kShakeStepDuration, Vec2::ZERO));
    auto* shaking = engine::Repeat::create(once, kShakeCount);
    shaking->setTag(kShakeTag);
    runAction(shaking);
}

void NumberEditor::close() {
    closing_ = true;
    if (touchShield_) {
        getEventDispatcher()->removeEventListenersForTarget(touchShield_);
    }
    editBox_->closeKeyboard();
    stopActionByTag(kShakeTag);
    setPosition(Vec2::ZERO);
    runAction(
        engine::Sequence::create(engine::FadeOut::create(kFadeDuration), engine::RemoveSelf::create(true)));
}

void NumberEditor::editBoxReturn(EditBox*) {
    commit();
}

void NumberEditor::editBoxEditingDidEndWithAction(EditBox*, EditBoxEndAction action) {
    if (closing_) {
        return;
    }
    if (action == EditBoxEndAction::RETURN) {
        // The return was refused: keep typing.
        editBox_->openKeyboard();
        return;
    }
    // Escape, or another box took the keyboard.
    cancel();
}
