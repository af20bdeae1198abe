#include "tests/res/ResourceFiles.h"

#include <cstdint>
#include <fstream>
#include <sstream>
#include <vector>

namespace pavlune::restest {

bool readPngHeader(const std::filesystem::path& file, PngHeader& header) {
    std::ifstream in(file, std::ios::binary);
    unsigned char b[29];
    if (!in.read(reinterpret_cast<char*>(b), sizeof b))
        return false;
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (int i = 0; i < 8; ++i)
        if (b[i] != signature[i])
            return false;
    if (b[12] != 'I' || b[13] != 'H' || b[14] != 'D' || b[15] != 'R')
        return false;
    auto be32 = [&](int at) {
        return static_cast<int>((std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) |
                                (std::uint32_t(b[at + 2]) << 8) | b[at + 3]);
    };
    header.width = be32(16);
    header.height = be32(20);
    header.bitDepth = b[24];
    header.colourType = b[25];
    return true;
}

std::map<std::string, DesignSize> readSizeTable(const std::filesystem::path& readme) {
    std::map<std::string, DesignSize> table;
    std::ifstream in(readme);
    std::string line;
    while (std::getline(in, line)) {
        // rows look like: | res/x.png | 200 | 120 | what |
        if (line.rfind("| res/", 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::stringstream row(line.substr(1));
        std::string cell;
        while (std::getline(row, cell, '|')) {
            const auto first = cell.find_first_not_of(' ');
            const auto last = cell.find_last_not_of(' ');
            cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
        }
        if (cells.size() < 3)
            continue;
        table[cells[0]] = {std::stod(cells[1]), std::stod(cells[2])};
    }
    return table;
}

Picture::Picture(const std::filesystem::path& file)
    : surface_(cairo_image_surface_create_from_png(file.string().c_str())) {
    ok_ = cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS;
    if (ok_) {
        cairo_surface_flush(surface_);
        width_ = cairo_image_surface_get_width(surface_);
        height_ = cairo_image_surface_get_height(surface_);
    }
}

Picture::~Picture() {
    cairo_surface_destroy(surface_);
}

unsigned Picture::pixel(int x, int y) const {
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    return *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
}

int Picture::alpha(int x, int y) const {
    return static_cast<int>(pixel(x, y) >> 24);
}

namespace {
int unpremultiply(unsigned p, int shift) {
    const unsigned a = p >> 24;
    if (a == 0)
        return 0;
    return static_cast<int>((((p >> shift) & 0xFF) * 255 + a / 2) / a);
}
} // namespace

int Picture::red(int x, int y) const {
    return unpremultiply(pixel(x, y), 16);
}
int Picture::green(int x, int y) const {
    return unpremultiply(pixel(x, y), 8);
}
int Picture::blue(int x, int y) const {
    return unpremultiply(pixel(x, y), 0);
}

} // namespace pavlune::restest
