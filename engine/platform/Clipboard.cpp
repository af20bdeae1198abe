#include "engine/platform/Clipboard.h"

#include <SDL.h>

namespace engine {

bool Clipboard::setText(const std::string& text) {
    return SDL_SetClipboardText(text.c_str()) == 0;
}

std::string Clipboard::getText() {
    char* clip = SDL_GetClipboardText();
    if (!clip) {
        return {};
    }
    std::string text = clip;
    SDL_free(clip);
    return text;
}

} // namespace engine
