#pragma once

#include <string>

namespace pavlune {

// One piece of program text for jam or latte, sent character by character.
struct SendUnit {
    std::string text;
    // Pause in ms after each character; negative: no pause.
    int charDelay = -1;
    // The characters are shown in the sending overlay as they go out.
    bool echo = false;

    bool operator==(const SendUnit&) const = default;
};

} // namespace pavlune
