#include "editor/EditorPopups.h"

#include <algorithm>
#include <utility>

void EditorPopups::add(Popup popup) {
    popups_.push_back(std::move(popup));
}

bool EditorPopups::isAnyOpen() const {
    return std::any_of(popups_.begin(), popups_.end(),
                       [](const Popup& popup) { return popup.isOpen && popup.isOpen(); });
}

bool EditorPopups::closeOne() {
    // Copied: a closing popup may add to the list.
    const std::vector<Popup> popups = popups_;
    return std::any_of(popups.begin(), popups.end(), [](const Popup& popup) {
        return popup.isOpen && popup.close && popup.isOpen() && popup.close();
    });
}

const EditorPopups::Popup* EditorPopups::top() const {
    const auto open = std::find_if(popups_.begin(), popups_.end(),
                                   [](const Popup& popup) { return popup.isOpen && popup.isOpen(); });
    return open == popups_.end() ? nullptr : &*open;
}

bool EditorPopups::confirmTop() {
    // A copy: confirming may add to the list.
    const Popup* open = top();
    const std::function<bool()> confirm = open ? open->confirm : nullptr;
    return confirm && confirm();
}

void EditorPopups::moveInTop(int step) {
    const Popup* open = top();
    const std::function<void(int)> move = open ? open->move : nullptr;
    if (move) {
        move(step);
    }
}
