#pragma once

#include "engine/2d/TextAlignment.h"
#include "engine/base/Geometry.h"
#include "engine/platform/FontResolver.h"

#include <SDL.h>
#include <string>
#include <vector>

namespace engine {

// Lays out UTF-8 text in one font with glyph-by-glyph fallback, and draws it.
// Measurements are in design units, taken at a fixed reference density so
// that a label's size does not depend on the window; drawing happens at any
// density (pixels per design unit) so text stays sharp when enlarged.
//
// Lines break at '\n', and when a wrap width is given, after spaces or
// between CJK characters; a word wider than the wrap width breaks between
// characters.
class TextLayout {
public:
    // A stretch of one line drawn with one face (0 = the chosen face, then
    // the fallback faces in order).
    struct Run {
        int face = 0;
        std::string text;
    };
    struct Line {
        std::vector<Run> runs;
        float width = 0; // design units, trailing spaces excluded
    };

    TextLayout(const FontFace& face, float fontSize);

    // Splits `text` into lines no wider than `wrapWidth` (0: no wrapping).
    std::vector<Line> breakLines(const std::string& text, float wrapWidth) const;
    // The width of `text` as one line, in design units.
    float measure(const std::string& text) const;

    // Height of one line and of its ascent, in design units, over the faces
    // that `lines` use.
    float lineHeight(const std::vector<Line>& lines) const;

    // White text with coverage in alpha, `contentSize * density` pixels
    // (rounded up), lines placed by the alignments; null when there is
    // nothing to draw.
    SDL_Surface* render(const std::vector<Line>& lines, const Size& contentSize, TextHAlignment hAlign,
                        TextVAlignment vAlign, float density) const;

    // Pixels per design unit at which measurements are taken.
    static constexpr float kLayoutDensity = 2.0f;

private:
    // Breaks one paragraph into lines no wider than wrapWidth: between break units
    // where they fit, inside a unit that is wider than a line.
    void wrapParagraph(const std::string& paragraph, float wrapWidth,
                       std::vector<std::string>& lineTexts) const;
    struct Metrics {
        int ascent = 0;
        int descent = 0;  // positive, below the baseline
        int lineSkip = 0; // baseline to baseline, at least ascent + descent
    };

    std::vector<Run> splitRuns(const std::string& text) const;
    int faceFor(char32_t codepoint) const;
    float measureRuns(const std::vector<Run>& runs) const;
    int pixelSize(float density) const;
    Metrics metrics(const std::vector<Line>& lines, float density) const;

    std::vector<FontFace> faces_;
    std::vector<TTF_Font*> layoutFonts_; // faces_ at the layout density, looked up once
    float fontSize_;
};

} // namespace engine
