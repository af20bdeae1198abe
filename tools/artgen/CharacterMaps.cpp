#include "tools/artgen/Paint.h"
#include "tools/artgen/PictureTable.h"

#include <algorithm>
#include <cstring>

namespace pavlune::artgen {

const std::vector<CharacterMaps::MapSpec>& CharacterMaps::specs() {
    static const std::vector<MapSpec> maps = {
        {"res/r_field_num.png", "0123456789", 9, 11, 0x1E2A38,
         "line numbers of the field rows (digits 0-9, dark)"},
        {"res/r_field_num_w.png", "0123456789", 9, 11, 0xFFFFFF, "palette count badges (digits 0-9, white)"},
        {"res/r_input_num_jam_l.png", "./0123456789", 24, 36, 0x1E2A38,
         "typed numbers, large: card fronts and jam backs (`.` `/` `0`-`9`)"},
        {"res/r_input_num_jam_s.png", "./0123456789", 12, 18, 0x1E2A38,
         "typed numbers, small: card fronts (`.` `/` `0`-`9`)"},
        {"res/r_input_num_latte_l.png", "./0123456789", 24, 36, 0x6D3F1E,
         "typed numbers on latte and que backs (`.` `/` `0`-`9`)"},
    };
    return maps;
}

void CharacterMaps::appendTo(std::vector<PictureEntry>& entries) {
    for (const MapSpec& spec : specs()) {
        const double count = static_cast<double>(std::strlen(spec.characters));
        entries.push_back({spec.path, count * spec.cellWidth, spec.cellHeight,
                           std::string("character map: ") + spec.what, [spec](Canvas& canvas) {
                               TextStyle style;
                               style.weight = 900;
                               style.size = spec.cellHeight;
                               style.colour = Rgb(spec.colour);
                               // keep a clear column on both sides so no glyph bleeds into its neighbour
                               const double marginX = std::max(1.0, spec.cellWidth * 0.1);
                               const double marginY = std::max(0.5, spec.cellHeight * 0.06);
                               Paint::glyphCells(canvas.cr(), spec.characters, style, spec.cellWidth,
                                                 spec.cellHeight, marginX, marginY);
                           }});
    }
}

} // namespace pavlune::artgen
