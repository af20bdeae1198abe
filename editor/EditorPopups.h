#pragma once

#include <functional>
#include <string>
#include <vector>

// The editor's popups and overlays in one list, each known by whether it is
// open and by what Escape does to it. Whatever must stay still behind a
// popup (the keys, the wheel, the middle button, the dialect toggle, undo)
// asks `isAnyOpen`; each room adds its own popups (through EditorSession),
// so a new popup is one `add` in the room that shows it.
class EditorPopups {
public:
    struct Popup {
        std::string name;
        std::function<bool()> isOpen;
        // Escape, asked only while it is open: closes it as its own way out
        // does; false when Escape leaves it (null: no key ever closes it).
        std::function<bool()> close;
        // Return: answers it as its OK does; false when Return leaves it
        // (null: it has no OK to give).
        std::function<bool()> confirm = nullptr;
        // The arrows: +1 Down or Right, -1 Up or Left, within the popup
        // (null: they do nothing there).
        std::function<void(int step)> move = nullptr;
    };

    void add(Popup popup);

    bool isAnyOpen() const;
    // Escape: asks the open popups in the order they were added; the first
    // that closes ends the press. False when none closed.
    bool closeOne();
    // Return: the first open popup (the one on top) confirms; false when it
    // has nothing to confirm or none is open.
    bool confirmTop();
    // The arrows: the first open popup moves within itself.
    void moveInTop(int step);

private:
    // The first open popup, or null.
    const Popup* top() const;

    std::vector<Popup> popups_;
};
