#pragma once

#include <functional>

class BottomBar;
class EditorSession;
class SaveData;

// Programs as files from the editor's bar: this program out, every program
// out, a file in (through ProgramSharing). They sit in a row on the bar's
// lower white strip, between the version and the copyright line.
class FileButtons {
public:
    static constexpr float kLeft = 470; // screen x of the first button
    static constexpr float kY = 3;      // bar y of the row's bottom
    static constexpr float kHeight = 24;
    static constexpr float kGap = 8;
    static constexpr float kShortWidth = 100;
    static constexpr float kLongWidth = 140;

    // Adds the buttons to `bar`, and to the session's controls for the
    // keyboard; `program` gives the program shown. Nothing when no sharing
    // is installed.
    static void add(BottomBar* bar, EditorSession& session, const std::function<SaveData*()>& program);
};
