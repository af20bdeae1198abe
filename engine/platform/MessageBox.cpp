#include "engine/platform/MessageBox.h"

#include "engine/2d/Director.h"
#include "engine/platform/GLView.h"
#include "engine/platform/InputTranslator.h"

#include <SDL.h>
#include <cstdio>

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
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(),
                                 view->getWindow()) == 0) {
        return true;
    }
    std::fprintf(stderr, "%s: %s\n(no message box: %s)\n", caption.c_str(), text.c_str(), SDL_GetError());
    return false;
#endif
}

} // namespace engine
