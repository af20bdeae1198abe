#include "engine/platform/MessageBox.h"

#include "engine/2d/Director.h"
#include "engine/base/Log.h"
#include "engine/platform/GLView.h"
#include "engine/platform/InputTranslator.h"

#include <SDL.h>

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
#ifdef __EMSCRIPTEN__
    // The browser's own box (alert) stops the whole page: callers draw theirs.
    return false;
#else
    const GLView* view = Director::getInstance()->getOpenGLView();
    if (!view || view->isHeadless()) {
        return false; // nobody to show it to, and nothing must block a test run
    }
    // Held touches would never see their release while the box has the input.
    Director::getInstance()->getOpenGLView()->getInputTranslator().cancelAllTouches();
    const Uint32 flags = icon == MessageBoxIcon::failure ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    if (SDL_ShowSimpleMessageBox(flags, caption.c_str(), text.c_str(), view->getWindow()) == 0) {
        return true;
    }
    // Its words still reach whoever reads the terminal.
    Log::warning("engine", "no message box (" + std::string(SDL_GetError()) + "): " + caption + ": " + text);
    return false;
#endif
}

} // namespace engine
