#pragma once

#include "engine/base/Geometry.h"
#include "program/ProgramListing.h"

#include <vector>

class FieldScrollView;

namespace engine {
class Node;
}

// A program listing in a window that scrolls up and down: jam and latte
// lines in the board's own font, que as columns of line number, bytes (board
// font) and Japanese reading. A listing without lines shows a hint instead.
class ListingView {
public:
    static constexpr float kLineHeight = 30;
    static constexpr float kMargin = 16;
    static constexpr const char* kBoardFont = "fonts/PavluneBoard-1.2.ttf";
    static constexpr const char* kJapaneseFont = "HiraKakuProN-W6";

    // Adds the window, of `size` with its lower left corner at `origin`, to
    // `parent`, showing the first lines.
    ListingView(engine::Node* parent, const engine::Vec2& origin, const engine::Size& size,
                const std::vector<pavlune::ListingLine>& lines);

    FieldScrollView* getScrollView() const { return view_; }
    // Moves the lines up (positive) or down, within their ends.
    void scrollBy(float distance);

private:
    void addLine(const pavlune::ListingLine& line, float y, float readingX);
    float readingColumn(const std::vector<pavlune::ListingLine>& lines) const;

    FieldScrollView* view_ = nullptr;
};
