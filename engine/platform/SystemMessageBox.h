#pragma once

#include "engine/platform/MessageBox.h"

#include <string>

namespace engine {

// The system's own message box behind MessageBox: true when it was shown and
// closed. SystemMessageBox.cpp on the desktop (SDL's box over the window),
// SystemMessageBoxWeb.cpp in the browser.
bool showSystemMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon);

} // namespace engine
