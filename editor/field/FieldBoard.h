#pragma once

#include "editor/field/CardPlacing.h"
#include "engine/base/Geometry.h"
#include "engine/base/RefPtr.h"
#include "engine/base/Value.h"
#include "field/FieldModel.h"
#include "field/FieldViewport.h"
#include "field/ProgramDocument.h"
#include "field/RowEdit.h"
#include "program/FieldRows.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace engine {
class Node;
class Sprite;
class Touch;
} // namespace engine

class CardSprite;
class EditorChoices;
class FieldScrollView;
class PlacingScroller;
class TrashCan;

// The field as the user sees it: the 40 numbered rows on the field view's
// content, and one card node per card of the field model, which it mirrors.
// Every edit goes to the model first; the nodes then take the model's
// positions, z-orders and slot colours. A card dragged in from the palette
// is placed through CardPlacing.
class FieldBoard : public CardPlacing {
public:
    static constexpr const char* kPlateImage = "res/r_field_no.png";
    static constexpr const char* kSlotImage = "res/r_field.png";
    static constexpr const char* kInsertImage = "res/r_btn_add.png";
    static constexpr const char* kDeleteImage = "res/r_btn_delete.png";
    static constexpr const char* kLineNumberDigits = "res/r_field_num.png";
    static constexpr float kRowSlideDuration = 0.1f;
    static constexpr float kRemoveDuration = 0.2f;
    // A row button's target is its drawn box this many times as large.
    static constexpr float kRowButtonTarget = 1.5f;
    // Keeps a loose card this far inside the visible field.
    static constexpr float kReachMargin = 20;

    // Builds the rows, their numbers and their + and - buttons on `view`'s
    // content (the scene sizes and scrolls it), and an empty model. `trash`
    // receives removed cards; cards show `choices`' dialect (not owned).
    // Null when a picture is missing.
    static std::unique_ptr<FieldBoard> create(FieldScrollView* view, TrashCan* trash,
                                              const EditorChoices& choices);
    ~FieldBoard() override;
    FieldBoard(const FieldBoard&) = delete;
    FieldBoard& operator=(const FieldBoard&) = delete;

    pavlune::FieldModel& model() { return *model_; }
    const pavlune::FieldModel& model() const { return *model_; }
    // The field view's current offset and zoom.
    pavlune::FieldViewport viewport() const;
    FieldScrollView* view() const { return view_; }

    // A new card with its centre at `position` (content units), on top; null
    // for a card the catalogue lacks.
    CardSprite* addCard(int cardSet, int cardIndex, engine::Vec2 position, std::uint8_t opacity);
    // The node of a model card, or null (also while it waits to be built).
    CardSprite* nodeFor(int cardId) const;
    // Every card node, in the model's creation order (built first if some wait).
    std::vector<CardSprite*> cardNodes();

    // The drag group on top (the model's z-orders, applied to the nodes).
    void raiseCards();
    // Picks up the card alone, or with the block of snapped cards below it,
    // on top (the model's lift, applied to the nodes).
    void liftCard(CardSprite* card);
    void liftBlock(CardSprite* card);
    // Moves the drag group with `card` by `delta` (content units) as the
    // model clamps and snaps it.
    void moveCards(CardSprite* card, engine::Vec2 delta);
    // Moves one loose card by `offset` (content units), kept on the content.
    void moveCardBy(int cardId, engine::Vec2 offset);
    // Puts a loose card onto the free row (the model's placeOnRow, applied to
    // the nodes and slots). False when the row is taken or unknown.
    bool placeOnRow(int cardId, int row);
    // After an edit: a loose card that covers a card on a row slides beside
    // the column of rows (the model's rule), then, as the field is shown now,
    // wholly onto the visible field and clear of the controls and the row
    // cards where there is room.
    void settleLooseCards();
    // As the field is shown now (after an opening, an undo or redo step, a
    // zoom): a loose card in sight that lies under a control or is cut off
    // at the field's left or right side is settled as after an edit.
    void settleShownCards();
    // The drag group let go with the finger at `finger` (screen units; none
    // when no finger let go): over a free row's slot the cards take that row
    // and the free rows below; each card still loose lies wholly on the
    // visible field and, where there is room, clear of the controls. For a
    // card dragged on the field and one brought from the palette alike.
    void putDownDragged(std::optional<engine::Vec2> finger);
    // A drag that did not end by the finger's will (the window lost the
    // focus): the dragged cards go back where they were lifted from.
    void cancelDrag();
    // Takes the card off the field; it flies into the trash and disappears.
    void removeCard(CardSprite* card);
    // The row buttons' edits: cards slide one row, a pushed-out card goes to
    // the trash. The model holds the final positions at once.
    void insertRow(int row);
    void deleteRow(int row);

    CardSprite* startPlacing(int cardSet, int cardIndex, engine::Vec2 screenPoint,
                             std::uint8_t opacity) override;
    void movePlacing(engine::Vec2 screenDelta) override;
    void finishPlacing(bool keep, std::optional<engine::Vec2> finger) override;
    CardSprite* placingCard() const override;
    bool hasRoomForCard() const override { return document_.roomForCards(*model_) > 0; }
    // Who scrolls the field's edges for the card being placed (not owned;
    // null: nobody).
    void setPlacingScroller(PlacingScroller* scroller) { placingScroller_ = scroller; }

    // The program file's elements for the cards on the field, and back.
    // Loading puts every card into the model at once, but builds only the
    // nodes of the cards in sight; the others follow kCardsPerFrame a frame,
    // nearest to the screen first, so a long program shows its first screen
    // without waiting for the rest. The file is saved from the model, so a
    // save while nodes wait is whole.
    engine::ValueVector save() const;
    void load(const engine::ValueVector& elements);
    // Whether card nodes still wait to be built, and building them now (before
    // a picture is drawn or a block is lifted).
    bool isBuilding() const { return !waiting_.empty(); }
    void finishBuilding();
    // The last waiting node was built (not called when none waited).
    std::function<void()> onBuilt;
    static constexpr std::size_t kCardsPerFrame = 40;
    static constexpr const char* kBuildKey = "buildCards";
    // Replaces every card on the field by the elements' cards at once (undo
    // and redo): they lie and attach as when the program file is opened.
    void reload(const engine::ValueVector& elements);
    pavlune::FieldRows fieldRows() const { return model_->fieldRows(); }
    // Whether the last load left elements of a long program file off the field.
    bool leftElementsOff() const { return document_.leftElementsOff(); }

    // A card node was made (to give it its touch handling).
    std::function<void(CardSprite*)> onCardAdded;
    // The number of cards of a kind on the field changed.
    std::function<void(int cardSet, int cardIndex)> onUseCountChanged;
    // A row was inserted or deleted (to save the field).
    std::function<void()> onRowsEdited;

    // Where the controls drawn over the field lie (screen units), which
    // loose cards keep clear of; unset: none.
    std::function<std::vector<engine::Rect>()> controlAreas;

    // The row buttons, row 0 first (for tests and the gestures' hit order).
    const std::vector<engine::Sprite*>& insertButtons() const { return insertButtons_; }
    const std::vector<engine::Sprite*>& deleteButtons() const { return deleteButtons_; }
    CardSprite* slotNode(int row) const { return slots_.at(static_cast<std::size_t>(row)); }

private:
    FieldBoard(FieldScrollView* view, TrashCan* trash, const EditorChoices& choices)
        : view_(view), trash_(trash), choices_(choices) {}
    bool buildRows();
    void listenToRowButtons();
    // Whether a touch hits a row button (its box enlarged by the zoom).
    bool rowButtonHit(const engine::Node* button, const engine::Touch* touch) const;
    CardSprite* makeNode(int cardId, std::uint8_t opacity);
    void applyRowEdit(const pavlune::RowEdit& edit);
    // Every element's card into the model; nodes for all of them, or with
    // `staged` only for those in sight (the rest wait).
    void placeCards(const engine::ValueVector& elements, bool staged);
    void buildWaiting(std::size_t count);
    void animateIntoTrash(CardSprite* node);
    // Where a card shows on the screen.
    engine::Rect screenArea(const pavlune::PlacedCard& card) const;
    // The controls' areas, and the row cards' too when asked (screen units).
    std::vector<engine::Rect> keptAreas(bool withRowCards) const;
    // Moves each loose card of `cardIds` wholly onto the visible field,
    // kReachMargin inside it, and off `kept` (screen units) to the nearest
    // place beside what it covers; where there is none, `always` still pulls
    // it onto the field, otherwise it stays. Cards on rows are left alone.
    void keepClear(const std::vector<int>& cardIds, const std::vector<engine::Rect>& kept, bool always);
    // Positions and z-orders of all nodes, and the slots' colours.
    void syncAll();
    void syncSlots();

    FieldScrollView* view_;
    TrashCan* trash_;
    const EditorChoices& choices_;
    std::unique_ptr<pavlune::FieldModel> model_;
    pavlune::ProgramDocument document_;
    std::map<int, engine::RefPtr<CardSprite>> nodes_;
    std::vector<CardSprite*> slots_;
    std::vector<engine::Sprite*> insertButtons_;
    std::vector<engine::Sprite*> deleteButtons_;
    PlacingScroller* placingScroller_ = nullptr;
    int placingId_ = pavlune::FieldModel::kNoCard;
    // Cards whose nodes wait to be built, the next one last.
    std::vector<int> waiting_;
};
