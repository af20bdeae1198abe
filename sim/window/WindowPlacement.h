#pragma once

#include <optional>
#include <string>

namespace pavlune {

// Where the board's window goes so that it does not cover the editor: beside
// the editor's window (left, right, below or above, kept on the screen), on
// the side where it covers the least of the editor, nothing where the screen
// has room. Pure arithmetic on rectangles in screen pixels.
class WindowPlacement {
public:
    struct Rect {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool operator==(const Rect&) const = default;
    };

    static constexpr int kGap = 8;

    // "x,y,width,height" (what the editor passes); nothing when malformed.
    static std::optional<Rect> parse(const std::string& text);

    // The top-left corner for a window of `width` by `height` beside
    // `editor` on a screen whose usable area is `screen`.
    static Rect beside(const Rect& editor, const Rect& screen, int width, int height);

    // The area two rectangles share, in square pixels.
    static long long overlap(const Rect& a, const Rect& b);
};

} // namespace pavlune
