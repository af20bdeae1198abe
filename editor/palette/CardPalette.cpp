#include "editor/palette/CardPalette.h"

#include "editor/EditorChoices.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/2d/Director.h"
#include "engine/2d/LabelAtlas.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/events/Event.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"
#include "widgets/PressedButton.h"

#include <algorithm>
#include <new>
#include <string>

using engine::Size;
using engine::Vec2;

namespace {

constexpr float kViewWidth = design::kPaletteWidth - 2 * CardPalette::kBorder;

} // namespace

CardPalette* CardPalette::create(FieldBoard* board, engine::Node* floatLayer, EditorChoices& choices) {
    auto* palette = new (std::nothrow) CardPalette(board, floatLayer, choices);
    if (palette && board && floatLayer && palette->initPalette()) {
        palette->autorelease();
        return palette;
    }
    delete palette;
    return nullptr;
}

CardPalette::CardPalette(FieldBoard* board, engine::Node* floatLayer, EditorChoices& choices)
    : board_(board), choices_(choices), drag_(board, floatLayer) {}

CardPalette::~CardPalette() = default;

bool CardPalette::initPalette() {
    if (!initWithColor(engine::Color4B::WHITE, design::kPaletteWidth, design::kHeight)) {
        return false;
    }
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    view_ = FieldScrollView::create(Size(kViewWidth, visible.height - kTabStripHeight - kBorder));
    if (!view_) {
        return false;
    }
    view_->setPosition(kBorder, kBorder);
    view_->bounceable = false;
    // A flick that is not quite straight still only scrolls the list.
    view_->setDirection(FieldScrollView::VERTICAL);
    addChild(view_);
    buildPalette();
    addDecorations(visible);
    addScrollButtons(visible);
    addTabs(visible);
    return true;
}

void CardPalette::addDecorations(const Size& visible) {
    const engine::Color4B& blue = design::kThemeBlue;
    if (auto* tabStrip = engine::LayerColor::create(blue, design::kPaletteWidth, kTabStripHeight)) {
        tabStrip->setPosition(0, visible.height - kTabStripHeight);
        addChild(tabStrip);
    }
    if (auto* bottom = engine::LayerColor::create(blue, design::kPaletteWidth, kBorder)) {
        addChild(bottom);
    }
    if (auto* left = engine::LayerColor::create(blue, kBorder, visible.height)) {
        addChild(left);
    }
}

void CardPalette::addScrollButtons(const Size& visible) {
    upButton_ = engine::Sprite::create(kUpImage);
    downButton_ = engine::Sprite::create(kDownImage);
    if (!upButton_ || !downButton_) {
        return;
    }
    const float middle = design::kPaletteWidth / 2;
    upButton_->setPosition(middle, visible.height - upButton_->getContentSize().height / 2 - kTabStripHeight +
                                       kBorder);
    downButton_->setPosition(middle, downButton_->getContentSize().height / 2);
    addChild(upButton_);
    addChild(downButton_);
    // They act at once on the press and do not dim. Their fingertip's square
    // reaches into the list only: the up button lies right under the tabs.
    auto listen = [](engine::Sprite* button, std::function<void()> scroll) {
        auto* listener = engine::EventListenerTouchOneByOne::create();
        listener->setSwallowTouches(true);
        listener->onTouchBegan = [button, scroll = std::move(scroll)](engine::Touch* touch, engine::Event*) {
            const engine::Rect box = HitTest::worldBoundingBox(button);
            engine::Rect area = HitTest::touchArea(button);
            const bool atTop = box.getMidY() > design::kHeight / 2;
            area.origin.y = atTop ? box.getMaxY() - area.size.height : box.getMinY();
            if (!area.containsPoint(touch->getLocation())) {
                return false;
            }
            scroll();
            return true;
        };
        button->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, button);
    };
    listen(upButton_, [this] { scrollTowardsFirst(); });
    listen(downButton_, [this] { scrollTowardsLast(); });
}

void CardPalette::addTabs(const Size& visible) {
    const pavlune::CatalogueView catalogue = choices_.catalogue();
    for (int set = 0; set < static_cast<int>(tabs_.size()); ++set) {
        engine::Sprite* tab = engine::Sprite::create(catalogue.getCardSetTabImage(set));
        if (!tab) {
            continue;
        }
        const Size size = tab->getContentSize();
        const float x = set == 0   ? size.width / 2 + kBorder
                        : set == 1 ? design::kPaletteWidth / 2
                                   : design::kPaletteWidth - size.width / 2 - kBorder;
        tab->setPosition(x, visible.height - size.height / 2 - kTabTopGap);
        tab->setTag(set);
        addChild(tab);
        tabs_[static_cast<std::size_t>(set)] = tab;
        PressedButton::attach(tab, [this, set] { selectCardSet(set); });
    }
}

void CardPalette::buildPalette() {
    drag_.abandon();
    engine::EventDispatcher* dispatcher = getEventDispatcher();
    for (const auto& card : cards_) {
        if (card && card->getPaletteListener()) {
            dispatcher->removeEventListener(card->getPaletteListener());
        }
    }
    view_->removeAllChildren();
    cards_.clear();
    countLabels_.clear();

    const pavlune::CatalogueView catalogue = choices_.catalogue();
    const int cardSet = catalogue.getCardSet();
    const int count = catalogue.getCardCount(cardSet);
    cards_.resize(static_cast<std::size_t>(count));
    countLabels_.resize(static_cast<std::size_t>(count));
    float y = kCardGap;
    // From the last card up, so that the first one ends at the top.
    for (int index = count - 1; index >= 0; --index) {
        CardSprite* card = CardSprite::create(catalogue.getCardFaceImage(index, cardSet));
        engine::Sprite* badge = engine::Sprite::create(kBadgeImage);
        const std::string uses = std::to_string(board_->model().useCount(cardSet, index));
        auto* label =
            engine::LabelAtlas::create(uses, kCountDigits, kCountDigitWidth, kCountDigitHeight, '0');
        if (!card || !badge || !label) {
            continue;
        }
        card->setCardKey(cardSet, index);
        const Size size = card->getContentSize();
        const float centreY = y + size.height / 2 + kCardGap;
        card->setPosition(kViewWidth - size.width / 2 - kBorder, centreY);
        y = centreY + size.height / 2;
        const float badgeWidth = badge->getContentSize().width;
        badge->setPosition(card->getPositionX() - size.width / 2 - badgeWidth / 2, centreY);
        label->setAnchorPoint(Vec2(0, 0.5f));
        label->setPosition(badge->getPositionX() - badgeWidth * 0.25f, centreY);
        view_->addChild(card);
        view_->addChild(badge);
        view_->addChild(label);
        cards_[static_cast<std::size_t>(index)] = card;
        countLabels_[static_cast<std::size_t>(index)] = label;
    }
    view_->setContentSize(Size(kViewWidth, y + kEndGap));

    const float saved = savedOffsets_[static_cast<std::size_t>(cardSet)];
    // A set shown for the first time opens at its first card.
    scrollTo(saved == kNoSavedOffset ? -(y + kEndGap) : saved);
    listenToCards();
}

void CardPalette::listenToCards() {
    auto* listener = engine::EventListenerTouchOneByOne::create();
    // Not swallowing: the palette scrolls under the finger until the drag lifts.
    listener->setSwallowTouches(false);
    listener->onTouchBegan = [this](engine::Touch* touch, engine::Event* event) {
        return pressCard(touch, static_cast<CardSprite*>(event->getCurrentTarget()));
    };
    listener->onTouchMoved = [this](engine::Touch* touch, engine::Event*) { drag_.move(touch); };
    listener->onTouchEnded = [this](engine::Touch* touch, engine::Event*) { drag_.end(touch); };
    listener->onTouchCancelled = [this](engine::Touch* touch, engine::Event*) { drag_.end(touch, true); };
    engine::EventDispatcher* dispatcher = getEventDispatcher();
    for (const auto& card : cards_) {
        if (!card) {
            continue;
        }
        engine::EventListenerTouchOneByOne* clone = listener->clone();
        card->setPaletteListener(clone);
        dispatcher->addEventListenerWithSceneGraphPriority(clone, card.get());
    }
}

bool CardPalette::pressCard(engine::Touch* touch, CardSprite* card) {
    // A card scrolled under the tab strip or the bottom edge is clipped away
    // and cannot be picked up there.
    if (!card || !view_->getViewRect().containsPoint(touch->getLocation()) ||
        !HitTest::contains(card, touch)) {
        return false;
    }
    return drag_.press(card, touch);
}

void CardPalette::selectCardSet(int cardSet) {
    const std::optional<pavlune::CardSet> chosen = pavlune::cardSetFromIndex(cardSet);
    if (!chosen || cardSet >= static_cast<int>(tabs_.size())) {
        return;
    }
    savedOffsets_[static_cast<std::size_t>(choices_.cardSet())] = view_->getContentOffset().y;
    choices_.chooseCardSet(*chosen);
    const pavlune::CatalogueView catalogue = choices_.catalogue();
    for (int set = 0; set < static_cast<int>(tabs_.size()); ++set) {
        if (engine::Sprite* tab = tabs_[static_cast<std::size_t>(set)]) {
            tab->setTexture(catalogue.getCardSetTabImage(set));
        }
    }
    buildPalette();
}

void CardPalette::updateUseCount(int cardSet, int cardIndex) {
    if (cardSet != choices_.cardSet()) {
        return;
    }
    if (engine::LabelAtlas* label = countLabel(cardIndex)) {
        label->setString(std::to_string(board_->model().useCount(cardSet, cardIndex)));
    }
}

void CardPalette::scrollTowardsFirst() {
    scrollTo(view_->getContentOffset().y - kPageStep);
}

void CardPalette::scrollTowardsLast() {
    scrollTo(view_->getContentOffset().y + kPageStep);
}

void CardPalette::scrollByWheel(float scrollY) {
    scrollTo(view_->getContentOffset().y + scrollY * kWheelStep);
}

float CardPalette::clampedOffsetY(float y) const {
    const float lowest = view_->minContainerOffset().y;
    const float highest = view_->maxContainerOffset().y;
    if (lowest > highest) {
        return lowest;
    }
    return std::clamp(y, lowest, highest);
}

void CardPalette::scrollTo(float y) {
    // Setting the offset also tells the view's delegate that it scrolled.
    view_->setContentOffset(Vec2(0, clampedOffsetY(y)));
}

CardSprite* CardPalette::paletteCard(int cardIndex) const {
    if (cardIndex < 0 || cardIndex >= static_cast<int>(cards_.size())) {
        return nullptr;
    }
    return cards_[static_cast<std::size_t>(cardIndex)].get();
}

engine::LabelAtlas* CardPalette::countLabel(int cardIndex) const {
    if (cardIndex < 0 || cardIndex >= static_cast<int>(countLabels_.size())) {
        return nullptr;
    }
    return countLabels_[static_cast<std::size_t>(cardIndex)].get();
}

engine::Sprite* CardPalette::tabSprite(int cardSet) const {
    if (cardSet < 0 || cardSet >= static_cast<int>(tabs_.size())) {
        return nullptr;
    }
    return tabs_[static_cast<std::size_t>(cardSet)];
}
