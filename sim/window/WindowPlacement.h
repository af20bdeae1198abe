#pragma once

#include <optional>
#include <string>

namespace pavlune {

// Where the board's window goes so that it never covers the editor: to the
// right of the editor's window when the screen has room there, else to its
// left, else below or above it, else in the screen corner farthest from the
// editor's centre. Pure arithmetic on rectangles in screen pixels.
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
};

} // namespace pavlune
