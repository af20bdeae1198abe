#pragma once

#include <string>

namespace engine {

// The system clipboard, as text. SDL keeps the text itself when the video
// driver has no clipboard (the headless runs), so tests read back what was set.
class Clipboard {
public:
    // False when the text could not be put there (no video subsystem).
    static bool setText(const std::string& text);
    // Empty when the clipboard holds no text.
    static std::string getText();
};

} // namespace engine
