#include "proj.web/WebPage.h"

#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/events/EventCustom.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/platform/GLView.h"
#include "engine/platform/InputTranslator.h"
#include "store/SaveDataManager.h"
#include "widgets/ProgramSharing.h"
#include "widgets/ScreenNavigator.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <emscripten.h>
#include <vector>

namespace {

// SDL's text events hold at most this many bytes: longer text goes in pieces
// cut between characters.
constexpr std::size_t kTextEventBytes = sizeof(SDL_TextInputEvent::text) - 1;

void pushText(const std::string& utf8, bool composing) {
    std::size_t start = 0;
    do {
        std::size_t end = std::min(utf8.size(), start + kTextEventBytes);
        while (end < utf8.size() && end > start && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) {
            --end;
        }
        SDL_Event event{};
        if (composing) {
            event.type = SDL_TEXTEDITING;
            // The cursor at the end of the composition, counted in characters.
            event.edit.start = static_cast<Sint32>(
                std::count_if(utf8.begin() + static_cast<std::ptrdiff_t>(start),
                              utf8.begin() + static_cast<std::ptrdiff_t>(end),
                              [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
            std::memcpy(event.edit.text, utf8.data() + start, end - start);
        } else {
            event.type = SDL_TEXTINPUT;
            std::memcpy(event.text.text, utf8.data() + start, end - start);
        }
        SDL_PushEvent(&event);
        start = end;
        // A composition is shown whole or not at all: only its first piece.
    } while (!composing && start < utf8.size());
}

// The frame loop sleeps while nothing moves and wakes on SDL's events: what
// the page changed is drawn once it has sent one.
void wakeFrames() {
    engine::Director::getInstance()->requestRedraw();
    SDL_Event event{};
    event.type = SDL_USEREVENT;
    SDL_PushEvent(&event);
}

} // namespace

void WebPage::exportNewest() {
    if (ProgramSharing* sharing = ProgramSharing::get()) {
        const auto& listed = SaveDataManager::getInstance()->getDatas();
        sharing->exportPrograms(listed.empty() ? std::vector<SaveData*>()
                                               : std::vector<SaveData*>{listed.at(0)});
        wakeFrames();
    }
}

void WebPage::exportClass() {
    if (ProgramSharing* sharing = ProgramSharing::get()) {
        sharing->exportAll();
        wakeFrames();
    }
}

void WebPage::cancelTouches() {
    engine::Director::getInstance()->getOpenGLView()->getInputTranslator().cancelAllTouches();
    wakeFrames();
}

void WebPage::pageHidden() {
    engine::EventCustom event(ScreenNavigator::kHidingEvent);
    engine::Director::getInstance()->getEventDispatcher()->dispatchEvent(&event);
}

void WebPage::text(const std::string& utf8, bool composing) {
    pushText(utf8, composing);
}

// The page's entry points (shell.html).
extern "C" {

EMSCRIPTEN_KEEPALIVE void pavlune_web_export() {
    WebPage::exportNewest();
}

EMSCRIPTEN_KEEPALIVE void pavlune_web_export_class() {
    WebPage::exportClass();
}

EMSCRIPTEN_KEEPALIVE void pavlune_web_touch_cancel() {
    WebPage::cancelTouches();
}

EMSCRIPTEN_KEEPALIVE void pavlune_web_page_hidden() {
    WebPage::pageHidden();
}

EMSCRIPTEN_KEEPALIVE void pavlune_web_text(const char* utf8, int composing) {
    WebPage::text(utf8, composing != 0);
}
}
