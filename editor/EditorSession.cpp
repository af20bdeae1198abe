#include "editor/EditorSession.h"

#include "widgets/AlertView.h"

#include <cstddef>
#include <utility>

EditorSession::EditorSession(engine::Node* scene, SaveData* record) : record_(record) {
    popups_.add({"alert", [scene] { return AlertView::shownIn(scene) != nullptr; },
                 [scene] { return AlertView::shownIn(scene)->dismiss(); },
                 [scene] { return AlertView::shownIn(scene)->confirm(); }});
}

EditorSession::~EditorSession() = default;

void EditorSession::addPopup(EditorPopups::Popup popup) {
    popups_.add(std::move(popup));
}

bool EditorSession::isModalOpen() const {
    return popups_.isAnyOpen();
}

bool EditorSession::closeOnePopup() {
    return popups_.closeOne();
}

bool EditorSession::confirmPopup() {
    return popups_.confirmTop();
}

void EditorSession::moveInPopup(int step) {
    popups_.moveInTop(step);
}

void EditorSession::addControl(Control control) {
    controls_.push_back(std::move(control));
}

void EditorSession::bind(Command command, std::function<void()> action) {
    commands_.at(static_cast<std::size_t>(command)) = std::move(action);
}

bool EditorSession::run(Command command) const {
    const std::function<void()>& action = commands_.at(static_cast<std::size_t>(command));
    if (!action) {
        return false;
    }
    action();
    return true;
}

void EditorSession::edited() const {
    if (onEdited) {
        onEdited();
    }
}
