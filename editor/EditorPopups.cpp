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

bool EditorPopups::confirmTop() {
    const std::vector<Popup> popups = popups_;
    const auto top = std::find_if(popups.begin(), popups.end(),
                                  [](const Popup& popup) { return popup.isOpen && popup.isOpen(); });
    return top != popups.end() && top->confirm && top->confirm();
}
