#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pavlune::artgen {

// Turns the board's pixel font into a TrueType file: one square outline per
// block of pixels, 128 font units a pixel, every glyph 8 pixels wide.
// Only the tables a font loader needs: head, hhea, maxp, OS/2, name, cmap,
// post, loca, glyf and hmtx. No time stamps, so the bytes never change.
class TrueTypeWriter {
public:
    static constexpr int kUnitsPerPixel = 128;
    static constexpr const char* kFamily = "PavluneBoard";
    static constexpr const char* kVersion = "1.2";

    static std::vector<std::uint8_t> build();
    static bool write(const std::filesystem::path& file, std::string& error);
};

} // namespace pavlune::artgen
