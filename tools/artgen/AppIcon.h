#pragma once

#include "tools/artgen/Canvas.h"
#include "tools/artgen/PictureTable.h"

#include <array>
#include <vector>

namespace pavlune::artgen {

// The application's icon: two picture cards, the front one smiling. One file
// per size of the hicolor icon theme; the installed desktop entry names it.
class AppIcon {
public:
    static constexpr std::array<int, 8> kSizes{16, 32, 48, 64, 128, 192, 256, 512};

    static void draw(Canvas& canvas);
    static void appendTo(std::vector<PictureEntry>& entries);
};

} // namespace pavlune::artgen
