#pragma once

#include "engine/2d/Node.h"

#include <string>

namespace engine {

class Texture2D;

// Text drawn from a character map: a picture of equal cells, row by row,
// holding consecutive characters from `startCharMap`. Cell sizes are in
// design units (a map drawn at content scale 2.0 has cells of twice as many
// pixels). Each character is one cell wide; characters that the map does
// not hold are skipped.
class LabelAtlas : public Node {
public:
    static LabelAtlas* create(const std::string& text, const std::string& charMapFile, int itemWidth,
                              int itemHeight, int startCharMap);
    static LabelAtlas* create(const std::string& text, Texture2D* texture, int itemWidth, int itemHeight,
                              int startCharMap);

    bool initWithString(const std::string& text, Texture2D* texture, int itemWidth, int itemHeight,
                        int startCharMap);

    void setString(const std::string& text);
    const std::string& getString() const { return text_; }

    // Swaps the character map (cell size and first character stay).
    void setTexture(Texture2D* texture);
    Texture2D* getTexture() const { return texture_; }

    // The map cell (column, row) that `ch` is drawn from; false when the map lacks it.
    bool cellFor(char ch, int& column, int& row) const;
    // How many characters of the text are drawn.
    int getQuadsToDraw() const { return quads_; }

    void draw(Renderer* renderer, const Mat4& transform, std::uint32_t flags) override;

protected:
    LabelAtlas() = default;
    ~LabelAtlas() override;

private:
    void updateAtlasValues();
    int columns() const;
    int rows() const;

    std::string text_;
    Texture2D* texture_ = nullptr;
    float itemWidth_ = 0;
    float itemHeight_ = 0;
    int startChar_ = 0;
    int quads_ = 0;
};

} // namespace engine
