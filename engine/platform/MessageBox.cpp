#include "engine/platform/MessageBox.h"

#include "engine/platform/SystemMessageBox.h"

namespace engine {

namespace {

std::function<void(const std::string&, const std::string&)>& handlerSlot() {
    static std::function<void(const std::string&, const std::string&)> handler;
    return handler;
}

} // namespace

void setMessageBoxHandler(std::function<void(const std::string& message, const std::string& title)> handler) {
    handlerSlot() = std::move(handler);
}

bool MessageBox(const char* message, const char* title) {
    const std::string text = message ? message : "";
    const std::string caption = title ? title : "";
    if (handlerSlot()) {
        handlerSlot()(text, caption);
        return true;
    }
    return showSystemMessageBox(text, caption);
}

} // namespace engine
