#include "proj.web/WebPage.h"

#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/events/EventCustom.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/platform/GLView.h"
#include "engine/platform/InputTranslator.h"
#include "saves/SaveScene.h"
#include "store/ClassFile.h"
#include "store/ProgramExchange.h"
#include "store/SaveDataManager.h"
#include "widgets/Notice.h"
#include "widgets/ScreenNavigator.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <emscripten.h>
#include <fstream>
#include <iterator>

namespace {

constexpr const char* kFailureCaption = "しっぱい";
constexpr const char* kUnreadableMessage = "この プログラムを よめませんでした。";
constexpr const char* kNotSavedMessage = "プログラムを保存できませんでした。";
constexpr const char* kSkippedMessage = "よめない プログラムは いれなかったよ。";

SaveScene* shownList() {
    engine::Scene* scene = engine::Director::getInstance()->getRunningScene();
    if (!scene) {
        return nullptr;
    }
    for (engine::Node* child : scene->getChildren()) {
        if (auto* list = dynamic_cast<SaveScene*>(child)) {
            return list;
        }
    }
    return nullptr;
}

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

std::string WebPage::exportNewest(const std::string& path) {
    SaveDataManager* store = SaveDataManager::getInstance();
    const auto& entries = store->getDatas();
    if (entries.empty()) {
        return {};
    }
    const std::optional<ProgramExchange::Exported> file =
        ProgramExchange::exportProgram(*store, entries.at(0));
    if (!file) {
        Notice::show(engine::Director::getInstance()->getRunningScene(), kUnreadableMessage, kFailureCaption);
        wakeFrames();
        return {};
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << file->bytes;
    return out.good() ? file->fileName : std::string();
}

std::string WebPage::exportClass(const std::string& path) {
    SaveDataManager* store = SaveDataManager::getInstance();
    if (store->getDatas().empty()) {
        return {};
    }
    const ClassFile::Exported file = ClassFile::exportAll(*store);
    if (file.skipped > 0) {
        Notice::show(engine::Director::getInstance()->getRunningScene(), kSkippedMessage, kFailureCaption);
        wakeFrames();
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << file.bytes;
    return out.good() ? ClassFile::kFileName : std::string();
}

void WebPage::importFile(const std::string& path, const std::string& fileName) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SaveDataManager* store = SaveDataManager::getInstance();
    ProgramExchange::ImportResult result = ProgramExchange::importProgram(*store, bytes, fileName);
    if (result == ProgramExchange::ImportResult::Unreadable) {
        // Not one program: perhaps a whole class.
        const ClassFile::Imported imported = ClassFile::importAll(*store, bytes);
        if (imported.result != ClassFile::Result::Unreadable) {
            result = imported.result == ClassFile::Result::Added ? ProgramExchange::ImportResult::Added
                                                                 : ProgramExchange::ImportResult::NotSaved;
        }
    }
    engine::Scene* scene = engine::Director::getInstance()->getRunningScene();
    switch (result) {
    case ProgramExchange::ImportResult::Added:
        // The newest program is first in the list: show the list's start.
        if (SaveScene* list = shownList()) {
            SaveScene::setSavedListOffset(0);
            list->reloadList();
        }
        break;
    case ProgramExchange::ImportResult::Unreadable:
        Notice::show(scene, kUnreadableMessage, kFailureCaption);
        break;
    case ProgramExchange::ImportResult::NotSaved:
        Notice::show(scene, kNotSavedMessage, kFailureCaption);
        break;
    }
    wakeFrames();
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

EMSCRIPTEN_KEEPALIVE const char* pavlune_web_export(const char* path) {
    static std::string name;
    name = WebPage::exportNewest(path);
    return name.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* pavlune_web_export_class(const char* path) {
    static std::string name;
    name = WebPage::exportClass(path);
    return name.c_str();
}

EMSCRIPTEN_KEEPALIVE void pavlune_web_import(const char* path, const char* fileName) {
    WebPage::importFile(path, fileName);
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
