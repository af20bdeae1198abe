#include "editor/field/FieldBoard.h"

#include "catalogue/CatalogueView.h"
#include "editor/EditorChoices.h"
#include "editor/cards/CardSprite.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/field/PlacingScroller.h"
#include "editor/field/TrashCan.h"
#include "engine/2d/Director.h"
#include "engine/2d/LabelAtlas.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/FadeOut.h"
#include "engine/2d/actions/MoveTo.h"
#include "engine/2d/actions/RemoveSelf.h"
#include "engine/2d/actions/ScaleTo.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/actions/Spawn.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "field/FieldGeometry.h"
#include "field/FieldRowEditor.h"
#include "field/LooseSpot.h"
#include "program/CardNumberRule.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"

#include <algorithm>
#include <set>
#include <utility>

using engine::Size;
using engine::Vec2;

namespace {

const engine::Color3B kOccupiedSlotColour(32, 32, 32);
constexpr int kLineNumberDigitWidth = 9;
constexpr int kLineNumberDigitHeight = 11;
constexpr float kLineNumberScale = 1.5f;
// A card flying into the trash ends this small.
constexpr float kRemovedScale = 0.1f;

Size pictureSize(const char* file) {
    engine::Sprite* sprite = engine::Sprite::create(file);
    return sprite ? sprite->getContentSize() : Size();
}

// A number card carries an InputCardSprite, every other card a CardSprite.
CardSprite* makeCardSprite(const pavlune::CatalogueView& catalogue, int cardSet, int cardIndex) {
    if (catalogue.getCardCode(cardIndex, cardSet).kind == pavlune::CardCode::input) {
        return InputCardSprite::createForCard(catalogue, cardSet, cardIndex);
    }
    return CardSprite::createForCard(catalogue, cardSet, cardIndex);
}

// Snapped: a loose card has neither connector attached.
bool isAttached(const pavlune::PlacedCard& card) {
    return card.connectors[0].isAttached() || card.connectors[1].isAttached();
}

} // namespace

FieldBoard::~FieldBoard() {
    // The view outlives the board (the scene's rooms go before its nodes).
    if (!waiting_.empty()) {
        view_->unschedule(kBuildKey);
    }
}

std::unique_ptr<FieldBoard> FieldBoard::create(FieldScrollView* view, TrashCan* trash,
                                               const EditorChoices& choices) {
    std::unique_ptr<FieldBoard> board(new FieldBoard(view, trash, choices));
    if (!board->buildRows()) {
        return nullptr;
    }
    return board;
}

bool FieldBoard::buildRows() {
    const Size plateSize = pictureSize(kPlateImage);
    const Size slotSize = pictureSize(kSlotImage);
    const Size buttonSize = pictureSize(kInsertImage);
    if (plateSize.width <= 0 || slotSize.width <= 0 || buttonSize.width <= 0) {
        return false;
    }
    const pavlune::FieldGeometry geometry(engine::Director::getInstance()->getVisibleSize(), plateSize,
                                          slotSize, buttonSize);
    model_ = std::make_unique<pavlune::FieldModel>(geometry, choices_.catalogue());

    for (int row = 0; row < pavlune::kFieldRowCount; ++row) {
        const pavlune::FieldRowLayout layout = geometry.row(row);
        CardSprite* plate = CardSprite::create(kPlateImage);
        CardSprite* slot = CardSprite::create(kSlotImage);
        auto* number = engine::LabelAtlas::create(layout.lineNumberText(), kLineNumberDigits,
                                                  kLineNumberDigitWidth, kLineNumberDigitHeight, '0');
        engine::Sprite* insert = engine::Sprite::create(kInsertImage);
        engine::Sprite* remove = engine::Sprite::create(kDeleteImage);
        if (!plate || !slot || !number || !insert || !remove) {
            return false;
        }
        plate->setPosition(layout.plate);
        slot->setPosition(layout.slot);
        number->setAnchorPoint(Vec2(1, 0.5f));
        number->setPosition(layout.lineNumber);
        number->setScale(kLineNumberScale);
        insert->setPosition(layout.insertButton);
        insert->setTag(row);
        remove->setPosition(layout.deleteButton);
        remove->setTag(row);
        for (engine::Node* node : {static_cast<engine::Node*>(plate), static_cast<engine::Node*>(slot),
                                   static_cast<engine::Node*>(number), static_cast<engine::Node*>(insert),
                                   static_cast<engine::Node*>(remove)}) {
            view_->addChild(node);
        }
        slots_.push_back(slot);
        insertButtons_.push_back(insert);
        deleteButtons_.push_back(remove);
    }
    listenToRowButtons();
    return true;
}

void FieldBoard::listenToRowButtons() {
    auto listen = [this](engine::Sprite* button, void (FieldBoard::*edit)(int)) {
        auto* listener = engine::EventListenerTouchOneByOne::create();
        listener->setSwallowTouches(true);
        listener->onTouchBegan = [this, button](engine::Touch* touch, engine::Event*) {
            if (!rowButtonHit(button, touch)) {
                return false;
            }
            button->setOpacity(design::kPressedOpacity);
            return true;
        };
        listener->onTouchEnded = [this, button, edit](engine::Touch* touch, engine::Event*) {
            button->setOpacity(255);
            if (rowButtonHit(button, touch)) {
                (this->*edit)(button->getTag());
            }
        };
        listener->onTouchCancelled = [button](engine::Touch*, engine::Event*) { button->setOpacity(255); };
        button->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, button);
    };
    for (std::size_t row = 0; row < insertButtons_.size(); ++row) {
        listen(insertButtons_[row], &FieldBoard::insertRow);
        listen(deleteButtons_[row], &FieldBoard::deleteRow);
    }
}

bool FieldBoard::rowButtonHit(const engine::Node* button, const engine::Touch* touch) const {
    // The small buttons get a larger target: the drawn box (which shrinks
    // with the zoom) grown by half about its centre, and never less than a
    // fingertip, so a tap on the middle of the button always counts.
    return HitTest::touchArea(button, kRowButtonTarget).containsPoint(touch->getLocation());
}

pavlune::FieldViewport FieldBoard::viewport() const {
    return pavlune::FieldViewport(view_->getContentOffset(), view_->getZoomScale());
}

CardSprite* FieldBoard::makeNode(int cardId, std::uint8_t opacity) {
    const pavlune::PlacedCard* card = model_->findCard(cardId);
    CardSprite* node = card ? makeCardSprite(choices_.catalogue(), card->cardSet, card->cardIndex) : nullptr;
    if (!node) {
        return nullptr;
    }
    node->modelId = cardId;
    node->setOpacity(opacity);
    node->setValue(card->value);
    node->setPosition(card->position);
    view_->addChild(node, card->zOrder);
    nodes_[cardId] = node;
    if (onCardAdded) {
        onCardAdded(node);
    }
    return node;
}

CardSprite* FieldBoard::addCard(int cardSet, int cardIndex, Vec2 position, std::uint8_t opacity) {
    if (!model_->isCatalogueCard(cardSet, cardIndex)) {
        return nullptr;
    }
    const Size size = pictureSize(choices_.catalogue().getCardFaceImage(cardIndex, cardSet).c_str());
    const int id = model_->addCard(cardSet, cardIndex, position, size);
    // A number card shows the number every board will use from the start,
    // never an empty field that the dialects read differently.
    model_->setCardValue(id, pavlune::CardNumberRule::forCard(cardSet, cardIndex).startingValue());
    CardSprite* node = makeNode(id, opacity);
    if (!node) {
        model_->removeCard(id);
        return nullptr;
    }
    if (onUseCountChanged) {
        onUseCountChanged(cardSet, cardIndex);
    }
    return node;
}

CardSprite* FieldBoard::nodeFor(int cardId) const {
    auto found = nodes_.find(cardId);
    return found == nodes_.end() ? nullptr : found->second.get();
}

std::vector<CardSprite*> FieldBoard::cardNodes() {
    finishBuilding();
    std::vector<CardSprite*> nodes;
    for (const pavlune::PlacedCard& card : model_->placedCards()) {
        if (CardSprite* node = nodeFor(card.id)) {
            nodes.push_back(node);
        }
    }
    return nodes;
}

void FieldBoard::raiseCards() {
    model_->raiseCards();
    syncAll();
}

void FieldBoard::liftCard(CardSprite* card) {
    finishBuilding(); // the nodes of the cards it moves with
    model_->liftCard(card->modelId);
    syncAll();
}

void FieldBoard::liftBlock(CardSprite* card) {
    finishBuilding();
    model_->liftBlock(card->modelId);
    syncAll();
}

void FieldBoard::moveCards(CardSprite* card, Vec2 delta) {
    model_->moveCards(card->modelId, delta, viewport());
    syncAll();
}

void FieldBoard::moveCardBy(int cardId, Vec2 offset) {
    const pavlune::PlacedCard* card = model_->findCard(cardId);
    CardSprite* node = nodeFor(cardId);
    if (!card || !node) {
        return;
    }
    model_->setCardPosition(cardId, model_->keptOnField(card->position + offset, card->size));
    node->setPosition(model_->findCard(cardId)->position);
}

bool FieldBoard::placeOnRow(int cardId, int row) {
    if (!model_->placeOnRow(cardId, row)) {
        return false;
    }
    syncAll();
    return true;
}

CardSprite* FieldBoard::startPlacing(int cardSet, int cardIndex, Vec2 screenPoint, std::uint8_t opacity) {
    if (placingId_ != pavlune::FieldModel::kNoCard) {
        return nullptr;
    }
    CardSprite* placed = addCard(cardSet, cardIndex, viewport().toContent(screenPoint), opacity);
    if (!placed) {
        return nullptr;
    }
    placingId_ = placed->modelId;
    model_->setDragGroup({placingId_});
    raiseCards();
    if (placingScroller_) {
        placingScroller_->followPlacingCard(placed);
    }
    return placed;
}

void FieldBoard::movePlacing(Vec2 screenDelta) {
    if (CardSprite* placed = placingCard()) {
        moveCards(placed, screenDelta / viewport().zoom());
    }
}

void FieldBoard::finishPlacing(bool keep, std::optional<Vec2> finger) {
    if (placingId_ == pavlune::FieldModel::kNoCard) {
        return;
    }
    if (CardSprite* placed = placingCard()) {
        placed->setOpacity(255);
        if (keep) {
            putDownDragged(finger);
        } else {
            removeCard(placed);
        }
    }
    placingId_ = pavlune::FieldModel::kNoCard;
    model_->endDrag();
    if (placingScroller_) {
        placingScroller_->followPlacingCard(nullptr);
    }
}

CardSprite* FieldBoard::placingCard() const {
    return placingId_ == pavlune::FieldModel::kNoCard ? nullptr : nodeFor(placingId_);
}

void FieldBoard::settleLooseCards() {
    const std::vector<int> slid = pavlune::FieldRowEditor(*model_).settleLooseCards();
    for (const int id : slid) {
        if (CardSprite* node = nodeFor(id)) {
            node->setPosition(model_->findCard(id)->position);
        }
    }
    keepClear(slid, keptAreas(true), false);
}

void FieldBoard::settleShownCards() {
    const std::vector<engine::Rect> controls = keptAreas(false);
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    const engine::Rect window(0, 0, visible.width, visible.height);
    const engine::Rect field(design::kPaletteWidth, 0, visible.width - design::kPaletteWidth, visible.height);
    std::vector<int> unsettled;
    for (const pavlune::PlacedCard& card : model_->placedCards()) {
        const engine::Rect area = screenArea(card);
        if (isAttached(card) || !pavlune::LooseSpot::overlaps(area, window)) {
            continue; // on a row, or out of sight: nothing of it is hidden now
        }
        const bool underControl = std::any_of(controls.begin(), controls.end(), [&area](const auto& control) {
            return pavlune::LooseSpot::overlaps(area, control);
        });
        const bool cutOff = area.getMinX() < field.getMinX() || area.getMaxX() > field.getMaxX();
        if (underControl || cutOff) {
            unsettled.push_back(card.id);
        }
    }
    keepClear(unsettled, keptAreas(true), false);
}

void FieldBoard::putDownDragged(std::optional<Vec2> finger) {
    if (finger && pavlune::FieldRowEditor(*model_).placeDroppedGroup(viewport().toContent(*finger))) {
        syncAll();
    }
    // Not the row cards: a card let go on a taken row slides beside the
    // column when the field is saved, where the child expects it.
    keepClear(model_->dragGroup(), keptAreas(false), true);
}

std::vector<engine::Rect> FieldBoard::keptAreas(bool withRowCards) const {
    std::vector<engine::Rect> kept = controlAreas ? controlAreas() : std::vector<engine::Rect>();
    if (withRowCards) {
        for (int row = 0; row < static_cast<int>(model_->rowSlots().size()); ++row) {
            if (const pavlune::PlacedCard* card = model_->findCard(model_->cardOnRow(row))) {
                kept.push_back(screenArea(*card));
            }
        }
    }
    return kept;
}

void FieldBoard::keepClear(const std::vector<int>& cardIds, const std::vector<engine::Rect>& kept,
                           bool always) {
    const pavlune::FieldViewport shown = viewport();
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    const engine::Rect field(design::kPaletteWidth + kReachMargin, kReachMargin,
                             visible.width - design::kPaletteWidth - 2 * kReachMargin,
                             visible.height - 2 * kReachMargin);
    const engine::Rect window(0, 0, visible.width, visible.height);
    for (const int id : cardIds) {
        const pavlune::PlacedCard* card = model_->findCard(id);
        if (!card || isAttached(*card)) {
            continue;
        }
        // A card that moves does not go over another loose card in sight
        // (one hidden under it would be lost to the child), where it can.
        std::vector<engine::Rect> others;
        for (const pavlune::PlacedCard& other : model_->placedCards()) {
            const engine::Rect area = screenArea(other);
            if (other.id != id && !isAttached(other) && pavlune::LooseSpot::overlaps(area, window)) {
                others.push_back(area);
            }
        }
        const pavlune::LooseSpot spot(field, screenArea(*card).size, kept, std::move(others));
        if (const std::optional<Vec2> centre = spot.settle(shown.toScreen(card->position), always)) {
            const Vec2 moved = shown.toContent(*centre) - card->position;
            if (!moved.isZero()) {
                moveCardBy(id, moved);
            }
        }
    }
}

engine::Rect FieldBoard::screenArea(const pavlune::PlacedCard& card) const {
    const pavlune::FieldViewport shown = viewport();
    const Vec2 centre = shown.toScreen(card.position);
    const Size size(shown.toScreenLength(card.size.width), shown.toScreenLength(card.size.height));
    return {centre.x - size.width / 2, centre.y - size.height / 2, size.width, size.height};
}

void FieldBoard::cancelDrag() {
    model_->cancelDrag();
    syncAll();
}

void FieldBoard::removeCard(CardSprite* card) {
    const pavlune::PlacedCard* placed = model_->findCard(card->modelId);
    if (!placed) {
        return;
    }
    const int cardSet = placed->cardSet;
    const int cardIndex = placed->cardIndex;
    model_->removeCard(card->modelId);
    syncSlots();
    animateIntoTrash(card);
    if (onUseCountChanged) {
        onUseCountChanged(cardSet, cardIndex);
    }
}

void FieldBoard::animateIntoTrash(CardSprite* node) {
    const engine::RefPtr<CardSprite> held(node);
    nodes_.erase(node->modelId);
    node->setColor(engine::Color3B::WHITE);
    node->getEventDispatcher()->removeEventListenersForTarget(node);
    if (engine::Node* face = node->getFace()) {
        face->runAction(engine::Sequence::create(engine::DelayTime::create(kRemoveDuration),
                                                 engine::FadeOut::create(0.1f)));
    }
    const Vec2 target = trash_ ? trash_->positionIn(node->getParent()) : node->getPosition();
    node->runAction(engine::Sequence::create(
        engine::Spawn::create(engine::MoveTo::create(kRemoveDuration, target),
                              engine::ScaleTo::create(kRemoveDuration, kRemovedScale)),
        engine::DelayTime::create(0.1f), engine::RemoveSelf::create(true)));
}

void FieldBoard::insertRow(int row) {
    applyRowEdit(pavlune::FieldRowEditor(*model_).insertRow(row));
}

void FieldBoard::deleteRow(int row) {
    applyRowEdit(pavlune::FieldRowEditor(*model_).deleteRow(row));
}

void FieldBoard::applyRowEdit(const pavlune::RowEdit& edit) {
    for (int removed : edit.removed) {
        if (CardSprite* node = nodeFor(removed)) {
            const int cardSet = node->getCardSet();
            const int cardIndex = node->getCardIndex();
            animateIntoTrash(node);
            if (onUseCountChanged) {
                onUseCountChanged(cardSet, cardIndex);
            }
        }
    }
    for (const pavlune::RowEdit::Move& move : edit.moved) {
        if (CardSprite* node = nodeFor(move.cardId)) {
            node->stopAllActions();
            node->runAction(engine::MoveTo::create(kRowSlideDuration, move.target));
        }
    }
    if (edit.runsTrashSequence() && trash_) {
        trash_->swallowPushed();
    }
    syncSlots();
    if (onRowsEdited) {
        onRowsEdited();
    }
}

void FieldBoard::syncAll() {
    for (const pavlune::PlacedCard& card : model_->placedCards()) {
        if (CardSprite* node = nodeFor(card.id)) {
            node->setPosition(card.position);
            node->setLocalZOrder(card.zOrder);
        }
    }
    syncSlots();
}

void FieldBoard::syncSlots() {
    for (std::size_t row = 0; row < slots_.size(); ++row) {
        const bool occupied = model_->rowSlot(static_cast<int>(row)).isOccupied();
        slots_[row]->setColor(occupied ? kOccupiedSlotColour : engine::Color3B::WHITE);
    }
}

engine::ValueVector FieldBoard::save() const {
    return document_.save(*model_);
}

void FieldBoard::load(const engine::ValueVector& elements) {
    placeCards(elements, true);
}

void FieldBoard::reload(const engine::ValueVector& elements) {
    std::set<std::pair<int, int>> kinds;
    for (const auto& [id, node] : nodes_) {
        kinds.emplace(node->getCardSet(), node->getCardIndex());
        node->getEventDispatcher()->removeEventListenersForTarget(node.get());
        node->removeFromParent();
    }
    for (int id : waiting_) {
        if (const pavlune::PlacedCard* card = model_->findCard(id)) {
            kinds.emplace(card->cardSet, card->cardIndex);
        }
    }
    waiting_.clear();
    view_->unschedule(kBuildKey);
    nodes_.clear();
    model_->clear();
    placeCards(elements, false);
    if (onUseCountChanged) {
        for (const auto& [cardSet, cardIndex] : kinds) {
            onUseCountChanged(cardSet, cardIndex);
        }
    }
}

void FieldBoard::placeCards(const engine::ValueVector& elements, bool staged) {
    const pavlune::CatalogueView catalogue = choices_.catalogue();
    const std::vector<int> ids = document_.load(elements, *model_, [&catalogue](int cardSet, int cardIndex) {
        return pictureSize(catalogue.getCardFaceImage(cardIndex, cardSet).c_str());
    });
    // The counts come from the model, so they are right before every node is.
    std::set<std::pair<int, int>> kinds;
    const engine::Rect screen(Vec2::ZERO, engine::Director::getInstance()->getVisibleSize());
    std::vector<std::pair<float, int>> later; // distance from the screen, id
    for (int id : ids) {
        const pavlune::PlacedCard* card = model_->findCard(id);
        if (!card) {
            continue;
        }
        kinds.emplace(card->cardSet, card->cardIndex);
        const engine::Rect area = screenArea(*card);
        if (!staged || area.intersectsRect(screen)) {
            makeNode(id, 255);
        } else {
            const float below = std::max(0.0f, screen.getMinY() - area.getMaxY());
            const float above = std::max(0.0f, area.getMinY() - screen.getMaxY());
            later.emplace_back(std::max(below, above), id);
        }
    }
    // Nearest last, as the list is built from its end.
    std::stable_sort(later.begin(), later.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (const auto& [distance, id] : later) {
        waiting_.push_back(id);
    }
    if (waiting_.size() <= kCardsPerFrame) {
        buildWaiting(waiting_.size()); // not worth a frame
    } else {
        view_->schedule(
            [this](float) {
                buildWaiting(kCardsPerFrame);
                if (waiting_.empty() && onBuilt) {
                    onBuilt();
                }
            },
            kBuildKey);
    }
    if (onUseCountChanged) {
        for (const auto& [cardSet, cardIndex] : kinds) {
            onUseCountChanged(cardSet, cardIndex);
        }
    }
    syncAll();
    settleShownCards();
}

void FieldBoard::buildWaiting(std::size_t count) {
    for (; count > 0 && !waiting_.empty(); --count) {
        const int id = waiting_.back();
        waiting_.pop_back();
        makeNode(id, 255);
    }
    if (waiting_.empty()) {
        view_->unschedule(kBuildKey);
    }
}

void FieldBoard::finishBuilding() {
    if (waiting_.empty()) {
        return;
    }
    buildWaiting(waiting_.size());
    if (onBuilt) {
        onBuilt();
    }
}
