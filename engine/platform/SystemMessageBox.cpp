#include "engine/platform/SystemMessageBox.h"

#include "engine/2d/Director.h"
#include "engine/base/Log.h"
#include "engine/platform/GLView.h"
#include "engine/platform/InputTranslator.h"

#include <SDL.h>

namespace engine {

bool showSystemMessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon) {
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
}

} // namespace engine
