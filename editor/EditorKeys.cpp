#include "editor/EditorKeys.h"

#include "editor/EditorSession.h"
#include "editor/focus/EditorFocus.h"
#include "engine/2d/Node.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventKeyboard.h"
#include "engine/2d/events/EventListenerKeyboard.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>
#include <optional>

using engine::EventKeyboard;
using engine::Vec2;
using KeyCode = engine::EventKeyboard::KeyCode;

using Command = EditorSession::Command;

EditorKeys::EditorKeys(engine::Node* owner, FieldScrollView* field, EditorSession& session)
    : owner_(owner), field_(field), session_(session) {
    listener_ = engine::EventListenerKeyboard::create();
    listener_->retain();
    listener_->onKeyPressed = [this](EventKeyboard* key) { keyPressed(*key); };
    owner_->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener_, owner_);
}

EditorKeys::~EditorKeys() {
    owner_->getEventDispatcher()->removeEventListener(listener_);
    listener_->release();
}

std::optional<bool> EditorKeys::answeredFirst(const EventKeyboard& key) {
    const KeyCode code = key.getKeyCode();
    const bool enter = code == KeyCode::KEY_ENTER || code == KeyCode::KEY_KP_ENTER;
    // Held keys repeat only where repeating makes sense: moving, zoom, undo.
    if (key.isRepeat() &&
        (code == KeyCode::KEY_ESCAPE || code == KeyCode::KEY_F5 || enter || code == KeyCode::KEY_SPACE)) {
        return true;
    }
    if (code != KeyCode::KEY_ESCAPE && session_.isModalOpen()) {
        // Return answers the popup on top as its OK would; the arrows move within it.
        if (code == KeyCode::KEY_UP_ARROW || code == KeyCode::KEY_LEFT_ARROW) {
            session_.moveInPopup(-1);
            return true;
        }
        if (code == KeyCode::KEY_DOWN_ARROW || code == KeyCode::KEY_RIGHT_ARROW) {
            session_.moveInPopup(1);
            return true;
        }
        return enter && !key.ctrl() && session_.confirmPopup();
    }
    EditorFocus* focus = session_.rooms().focus.get();
    if (!key.ctrl() && focus && focus->keyPressed(key)) {
        return true;
    }
    return std::nullopt;
}

bool EditorKeys::escape() {
    if (session_.closeOnePopup()) {
        return true;
    }
    // With nothing to close, the focus frame goes (the arrows scroll again).
    EditorFocus* focus = session_.rooms().focus.get();
    if (focus && focus->isShown()) {
        focus->hide();
        return true;
    }
    return false;
}

bool EditorKeys::keyPressed(const EventKeyboard& key) {
    if (const std::optional<bool> answer = answeredFirst(key)) {
        return *answer;
    }
    const KeyCode code = key.getKeyCode();
    const bool ctrl = key.ctrl();
    const float page = field_->viewSize.height * kPageFraction;
    switch (code) {
    case KeyCode::KEY_ESCAPE:
        return escape();
    case KeyCode::KEY_F5:
        session_.run(Command::play);
        return true;
    case KeyCode::KEY_ENTER:
    case KeyCode::KEY_KP_ENTER:
        if (!ctrl) {
            return false;
        }
        session_.run(Command::play);
        return true;
    case KeyCode::KEY_Z:
        if (!ctrl) {
            return false;
        }
        session_.run(key.shift() ? Command::redo : Command::undo);
        refreshFocus();
        return true;
    case KeyCode::KEY_Y:
        if (!ctrl) {
            return false;
        }
        session_.run(Command::redo);
        refreshFocus();
        return true;
    case KeyCode::KEY_EQUAL:
    case KeyCode::KEY_PLUS:
    case KeyCode::KEY_KP_PLUS:
    case KeyCode::KEY_SEMICOLON: // the key of "+" on Japanese keyboards
        if (!ctrl) {
            return false;
        }
        zoomTo(field_->getZoomScale() + kZoomStep);
        return true;
    case KeyCode::KEY_MINUS:
    case KeyCode::KEY_KP_MINUS:
        if (!ctrl) {
            return false;
        }
        zoomTo(field_->getZoomScale() - kZoomStep);
        return true;
    case KeyCode::KEY_0:
        if (!ctrl) {
            return false;
        }
        zoomTo(1.0f);
        return true;
    // Later rows lie lower on the field: they come into view as the offset grows.
    case KeyCode::KEY_DOWN_ARROW:
        scrollBy(Vec2(0, kArrowStep));
        return true;
    case KeyCode::KEY_UP_ARROW:
        scrollBy(Vec2(0, -kArrowStep));
        return true;
    case KeyCode::KEY_PG_DOWN:
        scrollBy(Vec2(0, page));
        return true;
    case KeyCode::KEY_PG_UP:
        scrollBy(Vec2(0, -page));
        return true;
    case KeyCode::KEY_RIGHT_ARROW:
        scrollBy(Vec2(-kArrowStep, 0));
        return true;
    case KeyCode::KEY_LEFT_ARROW:
        scrollBy(Vec2(kArrowStep, 0));
        return true;
    default:
        return false;
    }
}

void EditorKeys::refreshFocus() const {
    // A step changes the cards the frame goes around.
    if (EditorFocus* focus = session_.rooms().focus.get()) {
        focus->refresh();
    }
}

void EditorKeys::zoomTo(float zoom) {
    // The middle click's zoom: about the view's centre, within the view's limits.
    field_->setZoomScale(std::clamp(zoom, field_->minScale, field_->maxScale));
}

void EditorKeys::scrollBy(Vec2 delta) {
    const Vec2 low = field_->minContainerOffset();
    const Vec2 high = field_->maxContainerOffset();
    const Vec2 offset = field_->getContentOffset() + delta;
    field_->setContentOffset(Vec2(std::clamp(offset.x, low.x, high.x), std::clamp(offset.y, low.y, high.y)));
}
