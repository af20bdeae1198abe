#include "editor/link/SendingOverlay.h"

#include "editor/EditorTexts.h"
#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/RepeatForever.h"
#include "engine/2d/actions/RotateBy.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "widgets/Design.h"
#include "widgets/HitTest.h"

using engine::Color4B;
using engine::Size;
using engine::Vec2;

namespace {

// The panel leaves the right edge to the stop button.
constexpr float kPanelX = 30;
constexpr float kPanelY = 30;
constexpr float kPanelRightMargin = 150;
constexpr float kPadding = 20;
constexpr float kCaptionHeight = 56;
constexpr float kLineHeight = SendingOverlay::kFontSize * 1.25f;
// Opaque: one plain fill, the cheapest thing a software renderer draws, and
// nothing of the busy editor shows through the text.
const Color4B kPanelColour(24, 32, 40, 255);
const Color4B kTextColour(238, 244, 246, 255);
const Size kCloseSize(120, 60);
// The answer stands beside the caption, in the theme's light blue.
constexpr float kAnswerX = 200;
const Color4B kAnswerColour(105, 208, 238, 255);

void claimEveryTouch(engine::Node* node) {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [](engine::Touch*, engine::Event*) { return true; };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
}

// Where the stop button stands, and the close button after it.
Vec2 buttonPlace(const Size& button) {
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    return Vec2(visible.width - button.width * 0.5f - 10, visible.height * 0.5f - 120);
}

bool startsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

} // namespace

SendingOverlay::SendingOverlay(engine::Node* scene, bool boardFont) : scene_(scene), boardFont_(boardFont) {
    layer_ = engine::LayerColor::create(kPanelColour, design::kWidth, design::kHeight);
    if (!layer_ || !scene) {
        layer_ = nullptr;
        return;
    }
    claimEveryTouch(layer_);
    // The text's area: the screen but for the right edge, where the stop button is.
    panel_ = engine::Node::create();
    if (panel_) {
        panel_->setContentSize(
            Size(design::kWidth - kPanelX - kPanelRightMargin, design::kHeight - 2 * kPanelY));
        panel_->setPosition(kPanelX, kPanelY);
        layer_->addChild(panel_);
    }
    addStopButton();
    showCaption(EditorTexts::kSending);
    newLine();

    spinner_ = engine::Sprite::create("res/r_loading.png");
    if (spinner_ && panel_) {
        const Size panel = panel_->getContentSize();
        spinner_->setScale(0.5f);
        spinner_->setPosition(panel.width - kPadding - 20, panel.height - kCaptionHeight * 0.5f);
        spinner_->runAction(engine::RepeatForever::create(engine::RotateBy::create(0.2f, 45)));
        panel_->addChild(spinner_);
    }
    scene->addChild(layer_, kZOrder);
}

SendingOverlay::~SendingOverlay() {
    if (!layer_) {
        return;
    }
    engine::EventDispatcher* dispatcher = layer_->getEventDispatcher();
    removeStopButton();
    dispatcher->removeEventListenersForTarget(layer_);
    layer_->removeFromParent();
}

void SendingOverlay::addStopButton() {
    stopButton_ = engine::Sprite::create("res/r_stop.png");
    if (!stopButton_) {
        return;
    }
    stopButton_->setPosition(buttonPlace(stopButton_->getContentSize()));
    layer_->addChild(stopButton_);

    engine::Sprite* button = stopButton_;
    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [button](engine::Touch* touch, engine::Event*) {
        if (!button->isVisible() || !HitTest::contains(button, touch)) {
            return false;
        }
        button->setOpacity(design::kPressedOpacity);
        return true;
    };
    listener->onTouchEnded = [this, button](engine::Touch* touch, engine::Event*) {
        button->setOpacity(255);
        if (!HitTest::contains(button, touch)) {
            return;
        }
        // On the next frame, not inside the button's own handler: stopping
        // removes the button.
        if (onStop) {
            scene_->runAction(engine::CallFunc::create(onStop));
        }
    };
    listener->onTouchCancelled = [button](engine::Touch*, engine::Event*) { button->setOpacity(255); };
    button->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, button);
}

void SendingOverlay::removeStopButton() {
    if (stopButton_) {
        stopButton_->getEventDispatcher()->removeEventListenersForTarget(stopButton_);
        stopButton_->removeFromParent();
        stopButton_ = nullptr;
    }
}

void SendingOverlay::showCaption(const std::string& text) {
    if (!panel_) {
        return;
    }
    if (!caption_) {
        caption_ = addHeadingLabel(text, 28, kTextColour, kPadding);
        return;
    }
    caption_->setString(text);
}

engine::Label* SendingOverlay::addHeadingLabel(const std::string& text, float size, const Color4B& colour,
                                               float x) {
    engine::Label* label = engine::Label::createWithSystemFont(text, "HiraKakuProN-W6", size);
    if (!label) {
        return nullptr;
    }
    label->setTextColor(colour);
    label->setAnchorPoint(Vec2(0, 0.5f));
    label->setPosition(x, panel_->getContentSize().height - kCaptionHeight * 0.5f);
    panel_->addChild(label);
    return label;
}

void SendingOverlay::newLine() {
    if (!panel_) {
        return;
    }
    engine::Label* line = boardFont_
                              ? engine::Label::createWithTTF("", "fonts/PavluneBoard-1.2.ttf", kFontSize)
                              : engine::Label::createWithSystemFont("", "HiraKakuProN-W6", kFontSize);
    if (!line) {
        return;
    }
    line->setTextColor(kTextColour);
    line->setAnchorPoint(Vec2(0, 0));
    line->setPosition(kPadding, kPadding);
    // The older lines move up one place; the oldest leaves the panel.
    if (static_cast<int>(lines_.size()) == kVisibleLines) {
        lines_.front()->removeFromParent();
        lines_.erase(lines_.begin());
    }
    for (engine::Label* older : lines_) {
        older->setPositionY(older->getPositionY() + kLineHeight);
    }
    panel_->addChild(line);
    lines_.push_back(line);
    current_.clear();
    currentColumns_ = 0;
}

void SendingOverlay::appendText(const std::string& text) {
    echoed_ += text;
    if (lines_.empty()) {
        return;
    }
    bool changed = false;
    for (const char byte : text) {
        if (byte == '\r') {
            continue;
        }
        if (byte == '\n') {
            if (changed) {
                lines_.back()->setString(current_);
                changed = false;
            }
            newLine();
            continue;
        }
        if (startsCharacter(byte) && currentColumns_ == kColumns) {
            lines_.back()->setString(current_);
            newLine();
        }
        current_ += byte;
        currentColumns_ += startsCharacter(byte) ? 1 : 0;
        changed = true;
    }
    if (changed) {
        lines_.back()->setString(current_);
    }
}

void SendingOverlay::showStopping() {
    removeStopButton();
    showCaption(EditorTexts::kStopping);
}

std::string SendingOverlay::answerLine(const std::string& received) {
    std::string last;
    std::string current;
    for (const char byte : received) {
        if (byte == '\r' || byte == '\n') {
            if (!current.empty()) {
                last = current;
            }
            current.clear();
        } else if (byte >= 0x20 && byte < 0x7F) {
            current += byte; // a board's bytes are not known to be UTF-8: the rest is left out
        }
    }
    if (!current.empty()) {
        last = current;
    }
    if (last.size() > static_cast<std::size_t>(kColumns)) {
        last = last.substr(last.size() - static_cast<std::size_t>(kColumns));
    }
    return last;
}

void SendingOverlay::showAnswer(const std::string& text) {
    if (!panel_ || text.empty()) {
        return;
    }
    answer_ = addHeadingLabel(text, kFontSize, kAnswerColour, kAnswerX);
}

void SendingOverlay::finish(const Ending& ending) {
    if (!layer_ || finished_) {
        return;
    }
    finished_ = true;
    engine::EventDispatcher* dispatcher = layer_->getEventDispatcher();
    dispatcher->removeEventListenersForTarget(layer_);
    engine::LayerColor* layer = layer_;
    auto* panel = engine::EventListenerTouchOneByOne::create();
    panel->setSwallowTouches(true);
    panel->onTouchBegan = [layer](engine::Touch* touch, engine::Event*) {
        return HitTest::contains(layer, touch);
    };
    panel->onTouchEnded = [this, layer](engine::Touch* touch, engine::Event*) {
        if (HitTest::contains(layer, touch) && onClose) {
            // A copy: closing destroys this overlay, onClose with it.
            const std::function<void()> close = onClose;
            close();
        }
    };
    dispatcher->addEventListenerWithSceneGraphPriority(panel, layer_);

    removeStopButton();
    if (spinner_) {
        spinner_->stopAllActions();
        spinner_->removeFromParent();
        spinner_ = nullptr;
    }
    showCaption(ending.sent ? EditorTexts::kSent : EditorTexts::kStoppedOnTheWay);
    if (const std::string line = answerLine(ending.answer); ending.sent && !line.empty()) {
        showAnswer(EditorTexts::kBoardAnswer + line);
    } else if (ending.sent && ending.builtIn) {
        showAnswer(EditorTexts::kNoAnswerFromBuiltIn);
    }
    addCloseButton();
}

void SendingOverlay::addCloseButton() {
    // Any tap on the panel closes it; the button says so.
    auto* button = engine::LayerColor::create(design::kThemeBlue, kCloseSize.width, kCloseSize.height);
    auto* label = engine::Label::createWithSystemFont(EditorTexts::kClose, "HiraKakuProN-W6", 26);
    if (!button || !label) {
        return;
    }
    const Vec2 centre = buttonPlace(kCloseSize);
    button->setPosition(centre.x - kCloseSize.width * 0.5f, centre.y - kCloseSize.height * 0.5f);
    label->setTextColor(Color4B(design::kTextGrey, 255));
    label->setPosition(kCloseSize.width * 0.5f, kCloseSize.height * 0.5f);
    button->addChild(label);
    layer_->addChild(button);
    closeButton_ = button;
}
