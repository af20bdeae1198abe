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
    // Along the other axis the window lines up with the editor, kept on the screen.
    const int alignedY = std::clamp(editor.y, screen.y, std::max(screen.y, screenBottom - height));
    const int alignedX = std::clamp(editor.x, screen.x, std::max(screen.x, screenRight - width));
    if (editor.x + editor.width + kGap + width <= screenRight) {
        return {editor.x + editor.width + kGap, alignedY, width, height};
    }
    if (editor.x - kGap - width >= screen.x) {
        return {editor.x - kGap - width, alignedY, width, height};
    }
    if (editor.y + editor.height + kGap + height <= screenBottom) {
        return {alignedX, editor.y + editor.height + kGap, width, height};
    }
    if (editor.y - kGap - height >= screen.y) {
        return {alignedX, editor.y - kGap - height, width, height};
    }
    // No room beside it: the corner that leaves the editor's middle free.
    const bool editorLeftHalf = editor.x + editor.width / 2 < screen.x + screen.width / 2;
    const bool editorTopHalf = editor.y + editor.height / 2 < screen.y + screen.height / 2;
    return {editorLeftHalf ? screenRight - width : screen.x, editorTopHalf ? screenBottom - height : screen.y, width,
            height};
}

} // namespace pavlune
