#include "engine/platform/TextLayout.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace engine {

namespace {

// Decodes one UTF-8 sequence at `pos`; malformed bytes read as U+FFFD, one byte each.
char32_t decodeUtf8(const std::string& text, std::size_t pos, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    length = 1;
    if (lead < 0x80) {
        return lead;
    }
    int extra = 0;
    char32_t cp = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return 0xFFFD;
    }
    if (pos + static_cast<std::size_t>(extra) >= text.size()) {
        return 0xFFFD;
    }
    for (int i = 1; i <= extra; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            return 0xFFFD;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    length = static_cast<std::size_t>(extra) + 1;
    return cp;
}

// Characters between which a line may break without a space.
bool isBreakAnywhere(char32_t cp) {
    return (cp >= 0x2E80 && cp <= 0x9FFF) || (cp >= 0xAC00 && cp <= 0xD7AF) ||
           (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFFEF) ||
           (cp >= 0x20000 && cp <= 0x2FFFF);
}

std::string trimTrailingSpaces(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// The break units of one paragraph: a word with its trailing spaces, or one
// CJK character with its trailing spaces.
std::vector<std::string> breakUnits(const std::string& paragraph) {
    std::vector<std::string> units;
    std::string current;
    bool inSpaces = false;
    for (std::size_t pos = 0; pos < paragraph.size();) {
        std::size_t length = 0;
        const char32_t cp = decodeUtf8(paragraph, pos, length);
        const std::string ch = paragraph.substr(pos, length);
        pos += length;
        if (cp == ' ') {
            current += ch;
            inSpaces = true;
            continue;
        }
        if (inSpaces || isBreakAnywhere(cp)) {
            if (!current.empty()) {
                units.push_back(current);
            }
            current.clear();
            inSpaces = false;
        }
        current += ch;
        if (isBreakAnywhere(cp)) {
            inSpaces = true; // whatever follows starts a new unit (after its spaces)
        }
    }
    if (!current.empty()) {
        units.push_back(current);
    }
    return units;
}

std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> out;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 0;
        decodeUtf8(text, pos, length);
        out.push_back(text.substr(pos, length));
        pos += length;
    }
    return out;
}

} // namespace

TextLayout::TextLayout(const FontFace& face, float fontSize) : fontSize_(fontSize > 0 ? fontSize : 1) {
    FontResolver& resolver = FontResolver::getInstance();
    faces_.push_back(face);
    for (const FontFace& fallback : resolver.getFallbackFaces()) {
        if (!(fallback == face)) {
            faces_.push_back(fallback);
        }
    }
    for (const FontFace& f : faces_) {
        layoutFonts_.push_back(resolver.getFont(f, pixelSize(kLayoutDensity)));
    }
}

int TextLayout::pixelSize(float density) const {
    return std::max(1, static_cast<int>(std::lround(fontSize_ * density)));
}

int TextLayout::faceFor(char32_t codepoint) const {
    if (codepoint < 0x80 && layoutFonts_[0] && TTF_GlyphIsProvided32(layoutFonts_[0], codepoint)) {
        return 0;
    }
    for (std::size_t i = 0; i < layoutFonts_.size(); ++i) {
        TTF_Font* font = layoutFonts_[i];
        if (font && TTF_GlyphIsProvided32(font, codepoint)) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

std::vector<TextLayout::Run> TextLayout::splitRuns(const std::string& text) const {
    std::vector<Run> runs;
    for (std::size_t pos = 0; pos < text.size();) {
        std::size_t length = 0;
        char32_t cp = decodeUtf8(text, pos, length);
        const std::size_t start = pos;
        pos += length;
        if (cp == '\t') {
            cp = ' ';
        } else if (cp < 0x20 || cp == 0x7F) {
            continue; // other control characters draw nothing
        }
        const std::string ch = cp == ' ' ? std::string(1, ' ') : text.substr(start, length);
        // Spaces stay with the run they follow, so a fallback does not split words.
        const int face = (cp == ' ' && !runs.empty()) ? runs.back().face : faceFor(cp);
        if (runs.empty() || runs.back().face != face) {
            runs.push_back(Run{face, ch});
        } else {
            runs.back().text += ch;
        }
    }
    return runs;
}

float TextLayout::measureRuns(const std::vector<Run>& runs) const {
    int total = 0;
    for (const Run& run : runs) {
        TTF_Font* font = layoutFonts_[static_cast<std::size_t>(run.face)];
        int w = 0, h = 0;
        if (font && TTF_SizeUTF8(font, run.text.c_str(), &w, &h) == 0) {
            total += w;
        }
    }
    return static_cast<float>(total) / kLayoutDensity;
}

float TextLayout::measure(const std::string& text) const {
    return measureRuns(splitRuns(text));
}

std::vector<TextLayout::Line> TextLayout::breakLines(const std::string& text, float wrapWidth) const {
    std::vector<std::string> lineTexts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string paragraph = text.substr(start, end - start);
        if (!paragraph.empty() && paragraph.back() == '\r') {
            paragraph.pop_back();
        }
        start = end + 1;
        if (wrapWidth <= 0) {
            lineTexts.push_back(paragraph);
            continue;
        }
        wrapParagraph(paragraph, wrapWidth, lineTexts);
    }

    std::vector<Line> lines;
    lines.reserve(lineTexts.size());
    for (const std::string& lineText : lineTexts) {
        Line line;
        line.runs = splitRuns(lineText);
        line.width = measure(trimTrailingSpaces(lineText));
        lines.push_back(std::move(line));
    }
    return lines;
}

void TextLayout::wrapParagraph(const std::string& paragraph, float wrapWidth,
                               std::vector<std::string>& lineTexts) const {
    const auto push = [&](const std::string& line) { lineTexts.push_back(trimTrailingSpaces(line)); };
    const auto fits = [&](const std::string& line) {
        return measure(trimTrailingSpaces(line)) <= wrapWidth + 1e-3f;
    };
    std::string current;
    for (const std::string& unit : breakUnits(paragraph)) {
        if (!current.empty()) {
            if (fits(current + unit)) {
                current += unit;
                continue;
            }
            push(current);
            current.clear();
        }
        if (fits(unit)) {
            current = unit;
            continue;
        }
        for (const std::string& ch : characters(unit)) {
            if (!current.empty() && !fits(current + ch)) {
                push(current);
                current.clear();
                if (ch == " ") {
                    continue;
                }
            }
            current += ch;
        }
    }
    push(current);
}

TextLayout::Metrics TextLayout::metrics(const std::vector<Line>& lines, float density) const {
    std::set<int> used;
    for (const Line& line : lines) {
        for (const Run& run : line.runs) {
            used.insert(run.face);
        }
    }
    if (used.empty()) {
        used.insert(0);
    }
    FontResolver& resolver = FontResolver::getInstance();
    Metrics m;
    for (int face : used) {
        TTF_Font* font = resolver.getFont(faces_[static_cast<std::size_t>(face)], pixelSize(density));
        if (font) {
            m.ascent = std::max(m.ascent, TTF_FontAscent(font));
            m.descent = std::max(m.descent, -TTF_FontDescent(font));
            m.lineSkip = std::max(m.lineSkip, TTF_FontLineSkip(font));
        }
    }
    m.lineSkip = std::max(m.lineSkip, m.ascent + m.descent);
    return m;
}

float TextLayout::lineHeight(const std::vector<Line>& lines) const {
    const Metrics m = metrics(lines, kLayoutDensity);
    return static_cast<float>(m.lineSkip) / kLayoutDensity;
}

SDL_Surface* TextLayout::render(const std::vector<Line>& lines, const Size& contentSize,
                                TextHAlignment hAlign, TextVAlignment vAlign, float density) const {
    const int width = static_cast<int>(std::ceil(contentSize.width * density - 1e-3f));
    const int height = static_cast<int>(std::ceil(contentSize.height * density - 1e-3f));
    if (width <= 0 || height <= 0 || lines.empty()) {
        return nullptr;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) {
        return nullptr;
    }
    // White everywhere, coverage in alpha: blending white glyphs over it
    // leaves no dark fringes, and the label's colour tints it when drawn.
    SDL_FillRect(surface, nullptr, SDL_MapRGBA(surface->format, 255, 255, 255, 0));

    FontResolver& resolver = FontResolver::getInstance();
    const Metrics m = metrics(lines, density);
    const int lineHeightPx = m.lineSkip;
    const int blockHeight = lineHeightPx * static_cast<int>(lines.size());
    int top = 0;
    if (vAlign == TextVAlignment::CENTER) {
        top = (height - blockHeight) / 2;
    } else if (vAlign == TextVAlignment::BOTTOM) {
        top = height - blockHeight;
    }
    const SDL_Color white{255, 255, 255, 255};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        struct Piece {
            TTF_Font* font;
            const std::string* text;
            int width;
        };
        std::vector<Piece> pieces;
        int lineWidth = 0;
        for (const Run& run : line.runs) {
            TTF_Font* font = resolver.getFont(faces_[static_cast<std::size_t>(run.face)], pixelSize(density));
            int w = 0, h = 0;
            if (!font || TTF_SizeUTF8(font, run.text.c_str(), &w, &h) != 0) {
                continue;
            }
            pieces.push_back(Piece{font, &run.text, w});
            lineWidth += w;
        }
        // Trailing spaces do not count for alignment.
        const int visibleWidth = std::min(lineWidth, static_cast<int>(std::lround(line.width * density)) + 1);
        int x = 0;
        if (hAlign == TextHAlignment::CENTER) {
            x = (width - visibleWidth) / 2;
        } else if (hAlign == TextHAlignment::RIGHT) {
            x = width - visibleWidth;
        }
        const int baseline = top + static_cast<int>(i) * lineHeightPx + m.ascent;
        for (const Piece& piece : pieces) {
            SDL_Surface* glyphs = TTF_RenderUTF8_Blended(piece.font, piece.text->c_str(), white);
            if (glyphs) {
                SDL_Rect dest{x, baseline - TTF_FontAscent(piece.font), glyphs->w, glyphs->h};
                SDL_BlitSurface(glyphs, nullptr, surface, &dest);
                SDL_FreeSurface(glyphs);
            }
            x += piece.width;
        }
    }
    return surface;
}

} // namespace engine
