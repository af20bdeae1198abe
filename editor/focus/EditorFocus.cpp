#include "editor/focus/EditorFocus.h"

#include "editor/EditorSession.h"
#include "editor/cards/CardSprite.h"
#include "editor/cards/InputCardSprite.h"
#include "editor/field/FieldBoard.h"
#include "editor/gestures/CardGestures.h"
#include "editor/palette/CardPalette.h"
#include "engine/2d/Director.h"
#include "engine/2d/Node.h"
#include "engine/2d/events/EventKeyboard.h"
#include "program/FieldRows.h"
#include "widgets/FieldScrollView.h"
#include "widgets/HitTest.h"

#include <algorithm>
#include <cmath>
#include <optional>

using engine::Rect;
using engine::Vec2;
using KeyCode = engine::EventKeyboard::KeyCode;

namespace {

constexpr int kAreaCount = 3;
constexpr int kCardSetCount = 3;
// Left between a focused thing scrolled into view and the view's edge.
constexpr float kViewMargin = 20;
// Buttons whose centres lie closer than this in height are read as one line.
constexpr float kLineTolerance = 30;

int wrapped(int value, int count) {
    return ((value % count) + count) % count;
}

// Screen units per unit of the node's parent.
float screenScale(const engine::Node* node) {
    const float width = node->getBoundingBox().size.width;
    return width > 0 ? HitTest::worldBoundingBox(node).size.width / width : 1.0f;
}

bool showsOnScreen(const engine::Node* node) {
    for (const engine::Node* up = node; up; up = up->getParent()) {
        if (!up->isVisible()) {
            return false;
        }
    }
    const engine::Size visible = engine::Director::getInstance()->getVisibleSize();
    const Rect box = HitTest::worldBoundingBox(node);
    return Rect(0, 0, visible.width, visible.height).containsPoint(Vec2(box.getMidX(), box.getMidY()));
}

} // namespace

EditorFocus::EditorFocus(EditorSession& session) : session_(session) {}

EditorFocus::~EditorFocus() = default;

bool EditorFocus::keyPressed(const engine::EventKeyboard& key) {
    const KeyCode code = key.getKeyCode();
    if (code == KeyCode::KEY_TAB) {
        // The first Tab shows where the focus is; later ones move it.
        if (shown_) {
            moveArea(key.shift() ? -1 : 1);
        }
        shown_ = true;
        showFrame();
        return true;
    }
    if (!shown_) {
        return false;
    }
    switch (code) {
    case KeyCode::KEY_UP_ARROW:
        moveWithin(-1);
        return true;
    case KeyCode::KEY_DOWN_ARROW:
        moveWithin(1);
        return true;
    case KeyCode::KEY_LEFT_ARROW:
    case KeyCode::KEY_RIGHT_ARROW: {
        const int step = code == KeyCode::KEY_LEFT_ARROW ? -1 : 1;
        if (area_ == Area::palette) {
            switchCardSet(step);
        } else if (area_ == Area::controls) {
            moveWithin(step);
        } else {
            return false; // the field scrolls sideways
        }
        return true;
    }
    case KeyCode::KEY_ENTER:
    case KeyCode::KEY_KP_ENTER:
    case KeyCode::KEY_SPACE:
        return press();
    case KeyCode::KEY_DELETE:
    case KeyCode::KEY_BACKSPACE:
        if (area_ != Area::field) {
            return false;
        }
        removeRowCard();
        return true;
    default:
        return false;
    }
}

void EditorFocus::hide() {
    shown_ = false;
    frame_.hide();
}

void EditorFocus::refresh() {
    if (shown_) {
        showFrame();
    }
}

engine::Node* EditorFocus::focusedControl() const {
    return area_ == Area::controls ? control_ : nullptr;
}

void EditorFocus::moveArea(int step) {
    area_ = static_cast<Area>(wrapped(static_cast<int>(area_) + step, kAreaCount));
}

void EditorFocus::moveWithin(int step) {
    const EditorRooms& rooms = session_.rooms();
    switch (area_) {
    case Area::palette: {
        const int count = rooms.palette ? rooms.palette->paletteCardCount() : 0;
        // Past a card whose picture could not be loaded.
        for (int tried = 1; tried <= count; ++tried) {
            const int index = wrapped(paletteIndex_ + step * tried, count);
            if (rooms.palette->paletteCard(index)) {
                paletteIndex_ = index;
                break;
            }
        }
        break;
    }
    case Area::field:
        row_ = wrapped(row_ + step, pavlune::kFieldRowCount);
        break;
    case Area::controls: {
        const std::vector<engine::Node*> controls = reachableControls();
        if (controls.empty()) {
            break;
        }
        const auto at = std::find(controls.begin(), controls.end(), control_);
        const int from = at == controls.end() ? (step > 0 ? -1 : 0) : static_cast<int>(at - controls.begin());
        control_ =
            controls[static_cast<std::size_t>(wrapped(from + step, static_cast<int>(controls.size())))];
        break;
    }
    }
    showFrame();
}

void EditorFocus::switchCardSet(int step) {
    CardPalette* palette = session_.rooms().palette;
    if (!palette) {
        return;
    }
    palette->selectCardSet(wrapped(static_cast<int>(session_.choices().cardSet()) + step, kCardSetCount));
    paletteIndex_ = 0;
    showFrame();
}

bool EditorFocus::press() {
    const EditorRooms& rooms = session_.rooms();
    switch (area_) {
    case Area::palette:
        layPaletteCard();
        return true;
    case Area::field: {
        const FieldBoard* board = rooms.board.get();
        auto* card =
            board ? dynamic_cast<InputCardSprite*>(board->nodeFor(board->model().cardOnRow(row_))) : nullptr;
        if (!card || !rooms.gestures || !rooms.gestures->onOpenNumberEditor ||
            rooms.gestures->getPressedCard()) {
            return false;
        }
        rooms.gestures->onOpenNumberEditor(card);
        return true;
    }
    case Area::controls:
        for (const EditorSession::Control& control : session_.controls()) {
            if (control.node == control_ && control.press && (!control.enabled || control.enabled())) {
                control.press();
                break;
            }
        }
        return true;
    }
    return false;
}

void EditorFocus::layPaletteCard() {
    const EditorRooms& rooms = session_.rooms();
    FieldBoard* board = rooms.board.get();
    CardSprite* card = rooms.palette ? rooms.palette->paletteCard(paletteIndex_) : nullptr;
    // Not while a finger or the mouse holds a card.
    if (!board || !card || rooms.palette->getDrag().isActive() || board->placingCard() ||
        (rooms.gestures && rooms.gestures->getPressedCard())) {
        return;
    }
    if (!board->hasRoomForCard()) {
        if (rooms.palette->getDrag().onNoRoom) {
            rooms.palette->getDrag().onNoRoom();
        }
        return;
    }
    // As if let go with the mouse over the row's slot: the same rules place it.
    const int row = freeRowFrom(row_);
    std::optional<Vec2> finger;
    Vec2 at(rooms.fieldView->getViewRect().getMidX(), rooms.fieldView->getViewRect().getMidY());
    if (row >= 0) {
        row_ = row;
        scrollIntoView(rooms.fieldView, board->slotNode(row));
        at = board->viewport().toScreen(board->model().rowSlot(row).position);
        finger = at;
    }
    if (board->startPlacing(card->getCardSet(), card->getCardIndex(), at, 255)) {
        board->finishPlacing(true, finger);
        session_.edited();
    }
    showFrame();
}

void EditorFocus::removeRowCard() {
    const EditorRooms& rooms = session_.rooms();
    FieldBoard* board = rooms.board.get();
    CardSprite* card = board ? board->nodeFor(board->model().cardOnRow(row_)) : nullptr;
    if (!card || board->placingCard() || (rooms.gestures && rooms.gestures->getPressedCard())) {
        return;
    }
    board->removeCard(card);
    session_.edited();
    showFrame();
}

int EditorFocus::freeRowFrom(int from) const {
    const pavlune::FieldModel& model = session_.rooms().board->model();
    for (int tried = 0; tried < pavlune::kFieldRowCount; ++tried) {
        const int row = wrapped(from + tried, pavlune::kFieldRowCount);
        if (!model.rowSlot(row).isOccupied()) {
            return row;
        }
    }
    return -1;
}

std::vector<engine::Node*> EditorFocus::reachableControls() const {
    std::vector<std::pair<Rect, engine::Node*>> shown;
    for (const EditorSession::Control& control : session_.controls()) {
        if (control.node && showsOnScreen(control.node) && (!control.enabled || control.enabled())) {
            shown.emplace_back(HitTest::worldBoundingBox(control.node), control.node);
        }
    }
    // Top to bottom, then each line left to right.
    std::stable_sort(shown.begin(), shown.end(),
                     [](const auto& a, const auto& b) { return a.first.getMidY() > b.first.getMidY(); });
    for (auto line = shown.begin(); line != shown.end();) {
        const float top = line->first.getMidY();
        const auto end = std::find_if(line, shown.end(), [top](const auto& control) {
            return top - control.first.getMidY() > kLineTolerance;
        });
        std::stable_sort(line, end,
                         [](const auto& a, const auto& b) { return a.first.getMidX() < b.first.getMidX(); });
        line = end;
    }
    std::vector<engine::Node*> nodes;
    nodes.reserve(shown.size());
    for (const auto& control : shown) {
        nodes.push_back(control.second);
    }
    return nodes;
}

void EditorFocus::scrollIntoView(FieldScrollView* view, const engine::Node* node) {
    if (!view || !node) {
        return;
    }
    const Rect box = HitTest::worldBoundingBox(node);
    const Rect window = view->getViewRect();
    const auto shift = [](float low, float high, float boxLow, float boxHigh) {
        if (boxHigh + kViewMargin > high) {
            return std::max(high - boxHigh - kViewMargin, low - boxLow + kViewMargin);
        }
        return boxLow - kViewMargin < low ? low - boxLow + kViewMargin : 0.0f;
    };
    const Vec2 delta(shift(window.getMinX(), window.getMaxX(), box.getMinX(), box.getMaxX()),
                     shift(window.getMinY(), window.getMaxY(), box.getMinY(), box.getMaxY()));
    if (delta.isZero()) {
        return;
    }
    const Vec2 low = view->minContainerOffset();
    const Vec2 high = view->maxContainerOffset();
    const Vec2 offset = view->getContentOffset() + delta;
    view->setContentOffset(Vec2(std::clamp(offset.x, std::min(low.x, high.x), std::max(low.x, high.x)),
                                std::clamp(offset.y, std::min(low.y, high.y), std::max(low.y, high.y))));
}

void EditorFocus::showFrame() {
    const EditorRooms& rooms = session_.rooms();
    const engine::Node* target = nullptr;
    Rect area;
    switch (area_) {
    case Area::palette: {
        const int count = rooms.palette ? rooms.palette->paletteCardCount() : 0;
        paletteIndex_ = std::clamp(paletteIndex_, 0, std::max(0, count - 1));
        target = count > 0 ? rooms.palette->paletteCard(paletteIndex_) : nullptr;
        if (target) {
            scrollIntoView(rooms.palette->getPaletteView(), target);
            area = target->getBoundingBox();
        }
        break;
    }
    case Area::field:
        if (rooms.board) {
            // The slot: a card on the row lies within it.
            target = rooms.board->slotNode(row_);
            scrollIntoView(rooms.fieldView, target);
            area = target->getBoundingBox();
        }
        break;
    case Area::controls: {
        const std::vector<engine::Node*> controls = reachableControls();
        if (std::find(controls.begin(), controls.end(), control_) == controls.end()) {
            control_ = controls.empty() ? nullptr : controls.front();
        }
        target = control_;
        if (target) {
            area = target->getBoundingBox();
        }
        break;
    }
    }
    if (!target) {
        frame_.hide();
        return;
    }
    frame_.show(target->getParent(), area, screenScale(target));
}
