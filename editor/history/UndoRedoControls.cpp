#include "editor/history/UndoRedoControls.h"

#include "editor/EditorSession.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "widgets/PressedButton.h"

#include <cstdint>

namespace {

// A button with nothing to do fades into the paper, as desktop toolbars show it.
constexpr std::uint8_t kDimmedOpacity = 90;

} // namespace

bool UndoRedoControls::build(engine::Node* scene, const engine::Node* backButton) {
    undoButton_ = engine::Sprite::create(kUndoImage);
    redoButton_ = engine::Sprite::create(kRedoImage);
    if (!undoButton_ || !redoButton_ || !backButton) {
        return false;
    }
    const engine::Size size = redoButton_->getContentSize();
    const float y = backButton->getPosition().y;
    const float backLeft = backButton->getPosition().x - backButton->getContentSize().width / 2;
    const float redoX = backLeft - kGapToBack - size.width / 2;
    redoButton_->setPosition(redoX, y);
    undoButton_->setPosition(redoX - size.width - kGap, y);
    // A dimmed button is see-through: on a paper plate of its own a loose
    // card under it never shows through, so the button stays above the field.
    for (engine::Sprite* button : {undoButton_, redoButton_}) {
        const engine::Size own = button->getContentSize();
        auto* plate = engine::LayerColor::create(engine::Color4B::WHITE, own.width, own.height);
        if (!plate) {
            return false;
        }
        plate->setPosition(button->getPosition().x - own.width / 2, y - own.height / 2);
        scene->addChild(plate);
        scene->addChild(button);
    }
    PressedButton::attach(
        undoButton_, [this] { undo(); }, [this] { return history_.canUndo(); });
    PressedButton::attach(
        redoButton_, [this] { redo(); }, [this] { return history_.canRedo(); });
    refreshButtons();
    return true;
}

void UndoRedoControls::start() {
    history_.reset(hooks_.program ? hooks_.program() : engine::ValueVector());
    refreshButtons();
}

void UndoRedoControls::registerWith(EditorSession& session) {
    session.bind(EditorSession::Command::undo, [this] { undo(); });
    session.bind(EditorSession::Command::redo, [this] { redo(); });
    session.addControl({undoButton_, [this] { undo(); }, [this] { return history_.canUndo(); }});
    session.addControl({redoButton_, [this] { redo(); }, [this] { return history_.canRedo(); }});
}

void UndoRedoControls::recordEdit() {
    if (stepping_ || !hooks_.program) {
        return;
    }
    history_.record(hooks_.program());
    refreshButtons();
}

bool UndoRedoControls::undo() {
    if (hooks_.isEditing && hooks_.isEditing()) {
        return false;
    }
    return step(history_.undo());
}

bool UndoRedoControls::redo() {
    if (hooks_.isEditing && hooks_.isEditing()) {
        return false;
    }
    return step(history_.redo());
}

bool UndoRedoControls::step(const pavlune::EditHistory::Program* program) {
    if (!program) {
        return false;
    }
    stepping_ = true;
    if (hooks_.showProgram) {
        hooks_.showProgram(*program);
    }
    if (hooks_.save) {
        hooks_.save();
    }
    stepping_ = false;
    refreshButtons();
    return true;
}

void UndoRedoControls::refreshButtons() {
    if (undoButton_) {
        undoButton_->setOpacity(history_.canUndo() ? 255 : kDimmedOpacity);
    }
    if (redoButton_) {
        redoButton_->setOpacity(history_.canRedo() ? 255 : kDimmedOpacity);
    }
}

bool UndoRedoControls::isDimmed(const engine::Sprite* button) {
    return button && button->getOpacity() == kDimmedOpacity;
}
