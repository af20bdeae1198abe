#include "engine/platform/FontResolver.h"

#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"

#include <algorithm>

namespace engine {

namespace {

// Font names of other platforms that fontconfig would otherwise answer with
// an unrelated font (Hiragino is not installed on Linux; its W6 weight is bold).
std::string patternForSystemName(const std::string& name) {
    if (name.empty()) {
        return "sans-serif";
    }
    if (name.rfind("HiraKaku", 0) == 0 || name.rfind("HiraginoSans", 0) == 0) {
        const bool heavy = name.find("W6") != std::string::npos || name.find("W7") != std::string::npos ||
                           name.find("W8") != std::string::npos || name.find("W9") != std::string::npos;
        return heavy ? "Noto Sans CJK JP:weight=bold" : "Noto Sans CJK JP";
    }
    if (name.rfind("HiraMin", 0) == 0) {
        return "Noto Serif CJK JP,Noto Sans CJK JP";
    }
    return name;
}

} // namespace

FontResolver& FontResolver::getInstance() {
    static FontResolver instance;
    return instance;
}

FontResolver::FontResolver() {
    if (!TTF_WasInit()) {
        TTF_Init();
    }
}

FontResolver::~FontResolver() {
    // Runs at exit, after the director has let go of every label. Closing the
    // fonts (but not quitting SDL_ttf, which other exit code may still touch)
    // keeps leak checkers quiet about this cache.
    for (auto& [key, font] : openFonts_) {
        if (font) {
            TTF_CloseFont(font);
        }
    }
}

bool FontResolver::canOpen(const FontFace& face) {
    return !face.empty() && getFont(face, 12) != nullptr;
}

FontFace FontResolver::resolveSystemFont(const std::string& name) {
    if (auto it = systemFaces_.find(name); it != systemFaces_.end()) {
        return it->second;
    }
    FontFace face = match(patternForSystemName(name));
    if (!canOpen(face)) {
        face = match("sans-serif");
    }
    if (!canOpen(face) && !getFallbackFaces().empty()) {
        face = getFallbackFaces().front();
    }
    systemFaces_.emplace(name, face);
    return face;
}

FontFace FontResolver::resolveFontFile(const std::string& file) {
    if (auto it = fileFaces_.find(file); it != fileFaces_.end()) {
        return it->second;
    }
    FontFace face{FileUtils::getInstance()->fullPathForFilename(file), 0};
    if (face.empty()) {
        Log::error("engine", "cannot load font " + file + ": not found in the search paths");
    }
    if (!canOpen(face)) {
        face = match("monospace");
    }
    if (!canOpen(face)) {
        face = resolveSystemFont("");
    }
    fileFaces_.emplace(file, face);
    return face;
}

const std::vector<FontFace>& FontResolver::getFallbackFaces() {
    if (!fallbacksResolved_) {
        fallbacksResolved_ = true;
        for (const char* pattern : {"sans-serif:lang=ja", "sans-serif", "monospace"}) {
            FontFace face = match(pattern);
            if (!face.empty() && std::find(fallbacks_.begin(), fallbacks_.end(), face) == fallbacks_.end() &&
                canOpen(face)) {
                fallbacks_.push_back(face);
            }
        }
    }
    return fallbacks_;
}

TTF_Font* FontResolver::getFont(const FontFace& face, int pixelSize) {
    if (face.empty() || pixelSize <= 0) {
        return nullptr;
    }
    const auto key = std::make_pair(face, pixelSize);
    if (auto it = openFonts_.find(key); it != openFonts_.end()) {
        return it->second;
    }
    TTF_Font* font = TTF_OpenFontIndex(face.path.c_str(), pixelSize, face.index);
    if (!font && reportedFaces_.insert(face).second) {
        Log::error("engine", "cannot load font " + face.path + ": " + TTF_GetError());
    }
    if (font) {
        // Light hinting with sub-pixel placement keeps advances proportional
        // to the size, so text measured at one density fits at another.
        TTF_SetFontHinting(font, TTF_HINTING_LIGHT_SUBPIXEL);
    }
    // A face that failed stays null in the table, so it is not retried every frame.
    openFonts_.emplace(key, font);
    return font;
}

} // namespace engine
