// The clipboard in the browser: SDL keeps the text for the program itself
// and the page hands it to the browser's clipboard, where other pages and
// programs find it (a copy follows a tap, which lets the page write there).
#include "engine/platform/Clipboard.h"

#include <SDL.h>
#include <emscripten.h>

namespace engine {

bool Clipboard::setText(const std::string& text) {
    if (SDL_SetClipboardText(text.c_str()) != 0) {
        return false;
    }
    // The text goes to the page as an argument; Emscripten's $0 is not C++.
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdollar-in-identifier-extension"
    // clang-format off
    EM_ASM({
        if (navigator.clipboard && navigator.clipboard.writeText) {
            navigator.clipboard.writeText(UTF8ToString($0)).catch(function(error) {
                console.error('pavlune: the browser refused the clipboard', error);
            });
        }
    }, text.c_str());
    // clang-format on
#pragma clang diagnostic pop
    return true;
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
