#pragma once

#include <SDL_ttf.h>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace engine {

// One face of an installed font file (collections such as .ttc hold several).
struct FontFace {
    std::string path;
    int index = 0;

    bool empty() const { return path.empty(); }
    bool operator==(const FontFace& other) const { return path == other.path && index == other.index; }
    bool operator<(const FontFace& other) const {
        return path != other.path ? path < other.path : index < other.index;
    }
};

// Finds the font files behind the names the screens use and keeps them open.
// System font names ("Helvetica", "Arial", "HiraKakuProN-W6", "" for the
// default) go through fontconfig, with the names of fonts that Linux does not
// ship mapped to installed equivalents. A font file that is missing or cannot
// be opened is replaced by the system monospace font (the files the screens
// name are the board's fixed-width font). Characters that the chosen font
// lacks are drawn with the first fallback font that has them; the first
// fallback is a Japanese font, so Japanese always renders.
//
// Main thread only.
class FontResolver {
public:
    static FontResolver& getInstance();

    FontResolver(const FontResolver&) = delete;
    FontResolver& operator=(const FontResolver&) = delete;

    // The installed face for a system font name; never empty while any font
    // is installed.
    FontFace resolveSystemFont(const std::string& name);
    // The face for a font file given as a resource path.
    FontFace resolveFontFile(const std::string& file);
    // Faces tried, in order, for characters the chosen face lacks.
    const std::vector<FontFace>& getFallbackFaces();

    // The face opened at `pixelSize` (pixels per em), shared and kept open;
    // null when it cannot be opened.
    TTF_Font* getFont(const FontFace& face, int pixelSize);

    // The face that fontconfig picks for a pattern such as "monospace" or
    // "sans-serif:lang=ja"; empty when fontconfig finds nothing.
    static FontFace match(const std::string& pattern);

private:
    FontResolver();
    ~FontResolver();
    bool canOpen(const FontFace& face);

    std::map<std::string, FontFace> systemFaces_;
    std::map<std::string, FontFace> fileFaces_;
    std::vector<FontFace> fallbacks_;
    bool fallbacksResolved_ = false;
    std::map<std::pair<FontFace, int>, TTF_Font*> openFonts_;
    std::set<FontFace> reportedFaces_; // faces whose failure is on standard error already
};

} // namespace engine
