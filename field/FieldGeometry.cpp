#include "field/FieldGeometry.h"

namespace pavlune {

namespace {
engine::Vec2 point(double x, double y) {
    return {static_cast<float>(x), static_cast<float>(y)};
}
} // namespace

FieldGeometry::FieldGeometry(engine::Size visibleSize, engine::Size plateSize, engine::Size slotSize,
                             engine::Size buttonSize)
    : visibleSize_(visibleSize), plateSize_(plateSize), slotSize_(slotSize), buttonSize_(buttonSize) {}

engine::Size FieldGeometry::contentSize() const {
    return {static_cast<float>(visibleSize_.width * kContentWidthFactor),
            static_cast<float>(visibleSize_.height * kContentHeightFactor)};
}

engine::Vec2 FieldGeometry::initialContentOffset() const {
    return point(0, -(visibleSize_.height * kInitialScrollFactor));
}

FieldRowLayout FieldGeometry::row(int row) const {
    const double plateW = plateSize_.width;
    const double plateH = plateSize_.height;
    const double plateX = ((kDesignWidth - kPaletteWidth) * 0.5 + kPaletteWidth) - kPlateShift;
    const double plateY = (visibleSize_.height * kContentHeightFactor - kTopMargin) - plateH * (row + 0.5);
    const double buttonX = plateX - plateW * 0.5 - buttonSize_.width * 0.5;

    FieldRowLayout layout;
    layout.plate = point(plateX, plateY);
    layout.slot = point(plateX + plateW * 0.5 + slotSize_.width * 0.5, plateY);
    layout.lineNumber = point(plateX + plateW * 0.5 - 5, plateY);
    layout.insertButton = point(buttonX, plateY + plateH * 0.5);
    layout.deleteButton = point(buttonX, plateY);
    layout.lineNumberValue = 10 * (row + 1);
    return layout;
}

} // namespace pavlune
