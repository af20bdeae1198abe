#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace engine {

// The icon beside the text: a failure is never shown as mere information.
enum class MessageBoxIcon { information, failure };

// Shows `message` under the caption `title` in the system's message box with
// an OK button, over the application's window, and returns when the user has
// closed it (the main thread waits, frames stop meanwhile). False when nobody
// saw it, so that the caller can show it some other way: a headless run, or a
// system without a usable box (an X server without the fonts it needs), where
// the message goes to standard error.
bool MessageBox(const char* message, const char* title, MessageBoxIcon icon = MessageBoxIcon::information);

// Replaces the system box (tests record the messages); null restores it.
void setMessageBoxHandler(std::function<void(const std::string& message, const std::string& title)> handler);
// The same, told the icon too.
void setMessageBoxHandler(
    std::function<void(const std::string& message, const std::string& title, MessageBoxIcon icon)> handler);
void setMessageBoxHandler(std::nullptr_t);

} // namespace engine
