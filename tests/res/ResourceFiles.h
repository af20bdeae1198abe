#pragma once

#include "tests/support/TestPaths.h"

#include <cairo.h>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace pavlune::restest {

// The folder that holds res/ and fonts/.
using pavlune::test::sourceRoot;

struct PngHeader {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = 0; // 6: RGB with alpha
};

// Reads the IHDR chunk; false when the file is missing or not a PNG.
bool readPngHeader(const std::filesystem::path& file, PngHeader& header);

struct DesignSize {
    double width = 0;
    double height = 0;
};

// The design-size table of res/README.md: path -> size. Empty when missing.
std::map<std::string, DesignSize> readSizeTable(const std::filesystem::path& readme);

// A decoded picture, for looking at pixels.
class Picture {
public:
    explicit Picture(const std::filesystem::path& file);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    bool ok() const { return ok_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Un-premultiplied components 0..255 of the pixel at (x, y).
    int alpha(int x, int y) const;
    int red(int x, int y) const;
    int green(int x, int y) const;
    int blue(int x, int y) const;

private:
    unsigned pixel(int x, int y) const;
    cairo_surface_t* surface_ = nullptr;
    bool ok_ = false;
    int width_ = 0;
    int height_ = 0;
};

} // namespace pavlune::restest
