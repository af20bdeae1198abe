#pragma once

class SaveData;

// Moving between the two screens. The list and the editor ask for the other
// screen through this interface, so neither includes the other; the
// application installs the one implementation at start-up.
class ScreenNavigator {
public:
    virtual ~ScreenNavigator() = default;

    // Replaces the running scene by the editor for `record` (null: a new
    // program). False when the editor could not be made.
    virtual bool openEditor(SaveData* record) = 0;
    // Replaces the running scene by a new list of saved programs.
    virtual bool openList() = 0;

    // Sent when the application may end without another frame (a browser
    // tab hidden or closed): the shown screen writes what the list would
    // otherwise miss, such as the open program's picture.
    static constexpr const char* kHidingEvent = "PAVLUNE_EVENT_HIDING";

    // The installed navigator, or null before start-up (then the screens
    // cannot leave).
    static ScreenNavigator* get() { return instance; }
    static void install(ScreenNavigator* navigator) { instance = navigator; }

private:
    static inline ScreenNavigator* instance = nullptr;
};
