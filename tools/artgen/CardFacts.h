#pragma once

#include <array>
#include <string>
#include <vector>

namespace pavlune::artgen {

inline constexpr double kCardWidth = 200;
inline constexpr double kCardHeight = 120;

// The dialects that have back pictures of their own; the third one reuses
// the second one's pictures.
inline constexpr int kPictureDialects = 2;

// A rectangle relative to a card's centre, y upwards (the catalogue's input
// rectangles): (x, y) is the centre of the box, (w, h) its size.
struct CentredBox {
    double x = 0, y = 0, w = 0, h = 0;
};

// What the catalogue says about one card that its pictures must show.
struct CardFacts {
    int set = 0;
    int index = 0;
    std::string facePath;
    std::array<std::string, kPictureDialects> backPath;
    std::array<std::string, kPictureDialects> code;
    std::array<bool, kPictureDialects> numberCard{};
    std::array<std::vector<CentredBox>, kPictureDialects> inputBoxes;

    // Every card of every set, read from the catalogue.
    static std::vector<CardFacts> fromCatalogue();
};

} // namespace pavlune::artgen
