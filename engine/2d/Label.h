#pragma once

#include "engine/2d/Node.h"
#include "engine/2d/TextAlignment.h"

#include <memory>
#include <string>
#include <vector>

namespace engine {

class TextLayout;
class Texture2D;

// The font file and size of a label made from a font file.
struct TTFConfig {
    std::string fontFilePath;
    float fontSize = 12;
};

// Text in a system font or a font file. The label measures its text in
// design units: without dimensions it is as wide as its longest line; with a
// width it wraps there; with a height of 0 it grows to hold every line,
// otherwise the lines sit in that height by the vertical alignment (and what
// does not fit is cut off). It draws its text into a texture at the pixel
// density of wherever it is drawn (the window, scaled, or a render texture)
// and keeps it until the text, font, layout or density changes, so an
// unchanged label costs one quad a frame. The text colour and the node's
// displayed colour and opacity tint it.
class Label : public Node {
public:
    CREATE_FUNC(Label);
    // `font` names a system font ("Helvetica", "Arial", "HiraKakuProN-W6"; empty for the default).
    static Label* createWithSystemFont(const std::string& text, const std::string& font, float fontSize,
                                       const Size& dimensions = Size::ZERO,
                                       TextHAlignment hAlignment = TextHAlignment::LEFT,
                                       TextVAlignment vAlignment = TextVAlignment::TOP);
    // `fontFile` is a resource path such as "fonts/PavluneBoard-1.2.ttf".
    static Label* createWithTTF(const std::string& text, const std::string& fontFile, float fontSize,
                                const Size& dimensions = Size::ZERO,
                                TextHAlignment hAlignment = TextHAlignment::LEFT,
                                TextVAlignment vAlignment = TextVAlignment::TOP);
    static Label* createWithTTF(const TTFConfig& config, const std::string& text,
                                TextHAlignment hAlignment = TextHAlignment::LEFT, int maxLineWidth = 0);

    bool init() override;

    void setString(const std::string& text);
    const std::string& getString() const { return text_; }

    void setSystemFontName(const std::string& font);
    const std::string& getSystemFontName() const { return systemFontName_; }
    void setSystemFontSize(float size);
    float getSystemFontSize() const { return fontSize_; }
    bool setTTFConfig(const TTFConfig& config);
    TTFConfig getTTFConfig() const { return TTFConfig{fontFile_, fontSize_}; }
    bool isSystemFont() const { return fontFile_.empty(); }

    // (0, 0) means no wrapping and a height that grows; a width alone wraps there.
    void setDimensions(float width, float height);
    Size getDimensions() const { return dimensions_; }
    void setWidth(float width) { setDimensions(width, dimensions_.height); }
    void setHeight(float height) { setDimensions(dimensions_.width, height); }
    void setMaxLineWidth(float width) { setDimensions(width, dimensions_.height); }

    void setAlignment(TextHAlignment hAlignment);
    void setAlignment(TextHAlignment hAlignment, TextVAlignment vAlignment);
    void setHorizontalAlignment(TextHAlignment hAlignment) { setAlignment(hAlignment, vAlignment_); }
    void setVerticalAlignment(TextVAlignment vAlignment) { setAlignment(hAlignment_, vAlignment); }
    TextHAlignment getHorizontalAlignment() const { return hAlignment_; }
    TextVAlignment getVerticalAlignment() const { return vAlignment_; }

    void setTextColor(const Color4B& color) { textColor_ = color; }
    const Color4B& getTextColor() const { return textColor_; }

    int getStringNumLines() const { return static_cast<int>(lineWidths_.size()); }
    // Width of each laid-out line in design units (trailing spaces excluded).
    const std::vector<float>& getLineWidths() const { return lineWidths_; }
    float getLineHeight() const { return lineHeight_; }
    // The width `text` would take on one line in this label's font.
    float measureText(const std::string& text) const;

    // How often the text has been drawn into a texture (for tests and benchmarks).
    int getRenderCount() const { return renderCount_; }

    void draw(Renderer* renderer, const Mat4& transform, std::uint32_t flags) override;

protected:
    Label();
    ~Label() override;

private:
    void updateLayout();
    void dropTexture();
    float densityFor(Renderer* renderer, const Mat4& transform) const;

    std::string text_;
    std::string systemFontName_;
    std::string fontFile_;
    float fontSize_ = 12;
    Size dimensions_;
    TextHAlignment hAlignment_ = TextHAlignment::LEFT;
    TextVAlignment vAlignment_ = TextVAlignment::TOP;
    Color4B textColor_ = Color4B::WHITE;

    std::unique_ptr<TextLayout> layout_;
    struct Lines;
    std::unique_ptr<Lines> lines_;
    std::vector<float> lineWidths_;
    float lineHeight_ = 0;

    Texture2D* texture_ = nullptr;
    float textureDensity_ = 0;
    int renderCount_ = 0;
};

} // namespace engine
