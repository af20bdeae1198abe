#pragma once

#include "engine/base/Color.h"

#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// Pixels in memory, RGBA, 8 bits a channel, rows from the top. Frames read
// back from the renderer and pictures to be saved pass through here.
class Image {
public:
    // File formats pictures are saved in; only PNG is written.
    enum class Format { PNG, JPG };

    Image() = default;

    bool initWithRawData(const std::uint8_t* rgba, int width, int height);
    bool initWithImageFile(const std::string& path);

    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    const std::vector<std::uint8_t>& getData() const { return data_; }
    bool isEmpty() const { return data_.empty(); }

    // The pixel at (x, y) counted from the top left; transparent black outside.
    Color4B getPixel(int x, int y) const;

    // Writes a PNG; false when the file cannot be written.
    bool saveToFile(const std::string& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> data_;
};

} // namespace engine
