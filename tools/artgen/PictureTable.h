#pragma once

#include "tools/artgen/Canvas.h"
#include "tools/artgen/CardFacts.h"

#include <functional>
#include <string>
#include <vector>

namespace pavlune::artgen {

// One picture of the application: where it goes, its design size (the file
// is twice as large in pixels), what it is, and how to draw it.
struct PictureEntry {
    std::string path;
    double width = 0;
    double height = 0;
    std::string what;
    std::function<void(Canvas&)> draw;
};

// The one description of every picture the application names.
class PictureTable {
public:
    static std::vector<PictureEntry> build(const std::vector<CardFacts>& cards);

    // The same entries in the order written to res/README.md.
    static std::string sizeTableMarkdown(const std::vector<PictureEntry>& entries);
};

// Pictures of the screens: buttons, bars, the field's rows, dialogs.
class ScreenPictures {
public:
    static void appendTo(std::vector<PictureEntry>& entries);
};

// The digit maps of the number labels: one glyph per fixed-size cell.
class CharacterMaps {
public:
    struct MapSpec {
        const char* path;
        const char* characters;
        double cellWidth;
        double cellHeight;
        unsigned colour;
        const char* what;
    };
    static const std::vector<MapSpec>& specs();
    static void appendTo(std::vector<PictureEntry>& entries);
};

} // namespace pavlune::artgen
