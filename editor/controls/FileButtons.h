#pragma once

#include <functional>

class BottomBar;
class SaveData;

// Programs as files from the editor's bar: this program out, every program
// out, a file in (through ProgramSharing). They sit in the bar's panel right
// of the port controls, above the copyright line.
class FileButtons {
public:
    static constexpr float kLeft = 848;   // screen x, right of the search button
    static constexpr float kRight = 1016; // short of the bar's right edge
    static constexpr float kRowHeight = 28;
    static constexpr float kGap = 4;
    static constexpr float kTopRowY = 64; // bar y of the upper row's bottom

    // Adds the buttons to `bar`; `program` gives the program shown. Nothing
    // when no sharing is installed.
    static void add(BottomBar* bar, const std::function<SaveData*()>& program);
};
