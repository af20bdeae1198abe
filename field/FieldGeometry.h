#pragma once

#include "engine/base/Geometry.h"
#include "engine/base/ScreenLayout.h"

#include <string>

namespace pavlune {

// Where one field row's nodes go, in content units (node centres).
struct FieldRowLayout {
    engine::Vec2 plate;
    engine::Vec2 slot;
    // The line number's right end (anchor (1, 0.5)).
    engine::Vec2 lineNumber;
    engine::Vec2 insertButton;
    engine::Vec2 deleteButton;
    // 10, 20, ... 400.
    int lineNumberValue = 0;
    std::string lineNumberText() const { return std::to_string(lineNumberValue); }
};

// The layout of the field sheet from the visible size and the sizes of the
// number plate, the row slot and the row buttons, which the view reads from
// its pictures. Computed in double precision and handed out as node floats.
class FieldGeometry {
public:
    static constexpr double kDesignWidth = design::kWidth;
    static constexpr double kPaletteWidth = design::kPaletteWidth;
    static constexpr double kContentWidthFactor = design::kFieldWidthFactor;
    static constexpr double kContentHeightFactor = design::kFieldHeightFactor;
    // The content starts scrolled down by this many view heights, to its top.
    static constexpr double kInitialScrollFactor = design::kFieldInitialScrollFactor;
    // Free space above the first row.
    static constexpr double kTopMargin = 50;
    // The plates sit this far left of the middle of the area right of the palette.
    static constexpr double kPlateShift = 142;

    FieldGeometry(engine::Size visibleSize, engine::Size plateSize, engine::Size slotSize,
                  engine::Size buttonSize);

    engine::Size visibleSize() const { return visibleSize_; }
    engine::Size slotSize() const { return slotSize_; }
    // The sheet: view size times the width and height factors.
    engine::Size contentSize() const;
    // Scrolled down by the initial scroll factor: the top of the sheet in view.
    engine::Vec2 initialContentOffset() const;
    // Row 0 is the top row.
    FieldRowLayout row(int row) const;

private:
    engine::Size visibleSize_;
    engine::Size plateSize_;
    engine::Size slotSize_;
    engine::Size buttonSize_;
};

} // namespace pavlune
