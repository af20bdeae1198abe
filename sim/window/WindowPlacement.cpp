#include "sim/window/WindowPlacement.h"

#include <algorithm>
#include <cstdio>

namespace pavlune {

std::optional<WindowPlacement::Rect> WindowPlacement::parse(const std::string& text) {
    Rect rect;
    char end = 0;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d%c", &rect.x, &rect.y, &rect.width, &rect.height, &end) != 4 ||
        rect.width <= 0 || rect.height <= 0) {
        return std::nullopt;
    }
    return rect;
}

WindowPlacement::Rect WindowPlacement::beside(const Rect& editor, const Rect& screen, int width, int height) {
    const int screenRight = screen.x + screen.width;
    const int screenBottom = screen.y + screen.height;
    const auto keepX = [&](int x) {
        return std::clamp(x, screen.x, std::max(screen.x, screenRight - width));
    };
    const auto keepY = [&](int y) {
        return std::clamp(y, screen.y, std::max(screen.y, screenBottom - height));
    };
    // Left first: the editor's run controls are on its right, its palette on
    // its left, so where both sides overlap alike the palette is covered.
    const Rect candidates[] = {
        {keepX(editor.x - kGap - width), keepY(editor.y), width, height},
        {keepX(editor.x + editor.width + kGap), keepY(editor.y), width, height},
        {keepX(editor.x), keepY(editor.y + editor.height + kGap), width, height},
        {keepX(editor.x), keepY(editor.y - kGap - height), width, height},
    };
    const Rect* best = &candidates[0];
    for (const Rect& candidate : candidates) {
        if (overlap(candidate, editor) < overlap(*best, editor)) {
            best = &candidate;
        }
    }
    return *best;
}

long long WindowPlacement::overlap(const Rect& a, const Rect& b) {
    const long long across = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const long long down = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return across > 0 && down > 0 ? across * down : 0;
}

} // namespace pavlune
