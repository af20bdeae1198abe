#pragma once

#include "editor/EditorChoices.h"
#include "editor/EditorPopups.h"
#include "editor/EditorRooms.h"
#include "engine/base/RefPtr.h"
#include "store/SaveData.h"

#include <array>
#include <functional>
#include <vector>

namespace engine {
class Node;
} // namespace engine

// One program open in the editor: the choices it is shown and sent with,
// the rooms that show it (the board link among them), the popups that hold
// the screen while they are open and the commands the keys run. Rooms add
// their own popups and commands here, and raise `edited` after each finished
// edit; the scene lays the rooms out and saves on `onEdited`.
class EditorSession {
public:
    // What a key asks for, done by the room that bound it.
    enum class Command { play, undo, redo };

    // An alert box shown in `scene` is the first popup: it comes over
    // everything, so Escape answers it first (as a tap beside its window).
    EditorSession(engine::Node* scene, SaveData* record);
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    SaveData* record() const { return record_.get(); }
    EditorChoices& choices() { return choices_; }
    const EditorChoices& choices() const { return choices_; }
    EditorRooms& rooms() { return rooms_; }
    const EditorRooms& rooms() const { return rooms_; }

    // Escape asks the open popups in the order they were added.
    void addPopup(EditorPopups::Popup popup);
    // While one is open nothing beneath it answers (keys, the wheel, the
    // middle button, the dialect toggle, undo).
    bool isModalOpen() const;
    // Escape: closes one popup; false when none closed.
    bool closeOnePopup();
    // Return: the popup on top answers as its OK does; false when it has none.
    bool confirmPopup();
    // The arrows while a popup is open: +1 Down or Right, -1 Up or Left.
    void moveInPopup(int step);

    // A button the keyboard can reach and press (Return or Space) as a tap
    // on it would: each room adds its own buttons.
    struct Control {
        engine::Node* node = nullptr;
        std::function<void()> press;
        // Asked before the keyboard reaches it (null: while it shows).
        std::function<bool()> enabled = nullptr;
    };
    void addControl(Control control);
    const std::vector<Control>& controls() const { return controls_; }

    // The last binding of a command wins.
    void bind(Command command, std::function<void()> action);
    // False when no room does it.
    bool run(Command command) const;

    // A finished edit: a card dropped, placed or typed into, a row inserted
    // or deleted, a step of undo or redo.
    void edited() const;
    std::function<void()> onEdited;

private:
    engine::RefPtr<SaveData> record_;
    EditorChoices choices_;
    EditorRooms rooms_;
    // Declared after the rooms that its entries ask, so that it goes first.
    EditorPopups popups_;
    std::array<std::function<void()>, 3> commands_;
    std::vector<Control> controls_;
};
