#pragma once

#include <functional>
#include <string>

namespace engine {

// Shows `message` under the caption `title` in the system's message box with
// an OK button, over the application's window, and returns when the user has
// closed it (the main thread waits, frames stop meanwhile). A headless run
// shows nothing.
void MessageBox(const char* message, const char* title);

// Replaces the system box (tests record the messages); null restores it.
void setMessageBoxHandler(std::function<void(const std::string& message, const std::string& title)> handler);

} // namespace engine
