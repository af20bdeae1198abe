#include "editor/cards/InputCardSprite.h"

#include "catalogue/CatalogueView.h"
#include "engine/2d/Director.h"
#include "engine/2d/LabelAtlas.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/TextureCache.h"
#include "program/CardNumberRule.h"
#include "program/NumberText.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>

using engine::LabelAtlas;
using engine::Vec2;

InputCardSprite* InputCardSprite::create(const std::string& image, const std::string& backImage,
                                         std::vector<engine::Rect> inputRects, float multiplier,
                                         const std::string& backDigits) {
    auto* card = new (std::nothrow) InputCardSprite();
    if (card && card->init(image, backImage, std::move(inputRects), multiplier, backDigits)) {
        card->autorelease();
        return card;
    }
    delete card;
    return nullptr;
}

InputCardSprite* InputCardSprite::createForCard(const pavlune::CatalogueView& catalogue, int set, int index) {
    const std::string image = catalogue.getCardFaceImage(index, set);
    if (image.empty()) {
        return nullptr;
    }
    InputCardSprite* card =
        create(image, catalogue.getCardBackImage(index, set), catalogue.getInputRects(index, set),
               catalogue.getCardCode(index, set).multiplier, catalogue.getInputNumberImage());
    if (card) {
        card->setCardKey(set, index);
    }
    return card;
}

bool InputCardSprite::init(const std::string& image, const std::string& backImage,
                           std::vector<engine::Rect> inputRects, float multiplier,
                           const std::string& backDigits) {
    if (!CardSprite::init(image, backImage)) {
        return false;
    }
    inputRects_ = std::move(inputRects);
    multiplier_ = multiplier;
    if (inputRects_.size() < kRectCount) {
        return true; // nothing to draw the number in
    }
    frontLarge_ = LabelAtlas::create(value_, kFrontLargeDigits, kLargeDigitWidth, kLargeDigitHeight,
                                     kFirstDigitMapChar);
    frontSmall_ = LabelAtlas::create(value_, kFrontSmallDigits, kSmallDigitWidth, kSmallDigitHeight,
                                     kFirstDigitMapChar);
    backLabel_ = LabelAtlas::create("", backDigits, kLargeDigitWidth, kLargeDigitHeight, kFirstDigitMapChar);
    if (!frontLarge_ || !frontSmall_ || !backLabel_) {
        return false;
    }
    LabelAtlas* labels[kRectCount] = {frontLarge_, frontSmall_, backLabel_};
    for (int i = 0; i < kRectCount; ++i) {
        labels[i]->setAnchorPoint(Vec2(0.5f, 0.5f));
        labels[i]->setPosition(labelPosition(i));
        getFace()->addChild(labels[i]);
    }
    backLabel_->setVisible(false);
    fitLabels();
    return true;
}

Vec2 InputCardSprite::labelPosition(int rect) const {
    const engine::Size face = getFace()->getContentSize();
    const engine::Rect& box = inputRects_[static_cast<std::size_t>(rect)];
    return Vec2(face.width / 2 + box.origin.x, face.height / 2 + box.origin.y);
}

void InputCardSprite::fitLabels() {
    if (!frontLarge_ || inputRects_.size() < kRectCount) {
        return;
    }
    LabelAtlas* labels[kRectCount] = {frontLarge_, frontSmall_, backLabel_};
    for (int i = 0; i < kRectCount; ++i) {
        const engine::Size label = labels[i]->getContentSize();
        const engine::Size box = inputRects_[static_cast<std::size_t>(i)].size;
        // An empty label has no width; its height alone decides.
        const float byHeight = box.height / label.height;
        const float scale = label.width > 0 ? std::min(box.width / label.width, byHeight) : byHeight;
        labels[i]->setScale(scale);
    }
    // The back shows on the face turned by 180 degrees, which mirrors it.
    backLabel_->setScaleX(-backLabel_->getScaleX());
}

void InputCardSprite::setValue(const std::string& value) {
    CardSprite::setValue(value);
    const bool wrong = pavlune::CardNumberRule::forCard(getCardSet(), getCardIndex()).check(value_) !=
                       pavlune::CardNumberRule::Problem::none;
    showWrongMark(wrong);
    if (!frontLarge_) {
        return;
    }
    const std::string shown = wrong ? std::string() : value_;
    frontLarge_->setString(shown);
    frontSmall_->setString(shown);
    // Rounded to a whole number: the digit maps hold no sign or exponent.
    backLabel_->setString(
        shown.empty() ? "" : pavlune::formatNumber(std::round(pavlune::typedNumber(shown, multiplier_))));
    fitLabels();
}

void InputCardSprite::showWrongMark(bool wrong) {
    if (!wrong) {
        if (wrongMark_) {
            wrongMark_->setVisible(false);
        }
        return;
    }
    if (!wrongMark_) {
        wrongMark_ = engine::Node::create();
        if (!wrongMark_) {
            return;
        }
        const engine::Size size = getContentSize();
        const float w = kWrongMarkWidth;
        const engine::Rect sides[] = {{0, 0, size.width, w},
                                      {0, size.height - w, size.width, w},
                                      {0, 0, w, size.height},
                                      {size.width - w, 0, w, size.height}};
        for (const engine::Rect& side : sides) {
            if (auto* band = engine::LayerColor::create(engine::Color4B(230, 30, 30, 255), side.size.width,
                                                        side.size.height)) {
                band->setPosition(side.origin);
                wrongMark_->addChild(band);
            }
        }
        addChild(wrongMark_, kWrongMarkZOrder);
    }
    wrongMark_->setVisible(true);
}

void InputCardSprite::refreshFace() {
    if (!frontLarge_) {
        return;
    }
    const bool back = isFlipped();
    frontLarge_->setVisible(!back);
    frontSmall_->setVisible(!back);
    backLabel_->setVisible(back);
}

void InputCardSprite::showDialect(const pavlune::CatalogueView& catalogue) {
    CardSprite::showDialect(catalogue);
    if (backLabel_) {
        engine::Texture2D* digits =
            engine::Director::getInstance()->getTextureCache()->addImage(catalogue.getInputNumberImage());
        backLabel_->setTexture(digits);
    }
    inputRects_ = catalogue.getInputRects(getCardIndex(), getCardSet());
    if (backLabel_ && inputRects_.size() >= kRectCount) {
        backLabel_->setPosition(labelPosition(2));
    }
    multiplier_ = catalogue.getCardCode(getCardIndex(), getCardSet()).multiplier;
    setValue(value_);
}
