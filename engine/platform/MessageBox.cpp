#include "engine/platform/MessageBox.h"

#include "engine/platform/SystemMessageBox.h"

namespace engine {

namespace {

using Handler = std::function<void(const std::string&, const std::string&, MessageBoxIcon)>;

Handler& handlerSlot() {
    static Handler handler;
    return handler;
}

} // namespace

void setMessageBoxHandler(std::function<void(const std::string& message, const std::string& title)> handler) {
    if (!handler) {
        setMessageBoxHandler(nullptr);
        return;
    }
    handlerSlot() = [handler = std::move(handler)](const std::string& message, const std::string& title,
                                                   MessageBoxIcon) { handler(message, title); };
}

void setMessageBoxHandler(Handler handler) {
    handlerSlot() = std::move(handler);
}

void setMessageBoxHandler(std::nullptr_t) {
    handlerSlot() = nullptr;
}

bool MessageBox(const char* message, const char* title, MessageBoxIcon icon) {
    const std::string text = message ? message : "";
    const std::string caption = title ? title : "";
    if (handlerSlot()) {
        handlerSlot()(text, caption, icon);
        return true;
    }
    return showSystemMessageBox(text, caption, icon);
}

} // namespace engine
