#pragma once

#include "engine/base/Color.h"
#include "engine/base/Geometry.h"
#include "engine/base/Value.h"

#include <cmath>

// Where the rows lie on the screen of a freshly opened editor, for tests that
// press and drag placed cards. With the field scrolled to its top, row r's
// slot centre lies at screen y 653 - 130 r and a snapped card's centre at
// x 652.5 (content and screen x agree at the start).
constexpr float kRowCardX = 652.5f;
inline float rowScreenY(int row) {
    return 653.0f - 130.0f * static_cast<float>(row);
}
// The running row's light (RowLight), and a point where it shows for row r:
// right of the slot (230 units wide, centred on the card's x), inside the
// light's 14-unit margin.
const engine::Color4B kRowLit(255, 214, 0, 255);
inline engine::Vec2 rowLightSpot(int row) {
    return {kRowCardX + 115 + 7, rowScreenY(row)};
}
// Content y = screen y + 4861.44 at the start (the offset is -H x 6.33).
constexpr float kStartOffsetY = 768.0f * 6.33f;

// A program file's element for a card on `row`, `shift` units right of its slot.
inline engine::Value rowCardElement(int cardSet, int cardIndex, int row, const char* value, int zOrder,
                                    float shift = 0) {
    return engine::Value(
        engine::ValueMap{{"tab", engine::Value(cardSet)},
                         {"index", engine::Value(cardIndex)},
                         {"x", engine::Value(static_cast<int>(kRowCardX + shift))},
                         {"y", engine::Value(static_cast<int>(std::lround(rowScreenY(row) + kStartOffsetY)))},
                         {"zorder", engine::Value(zOrder)},
                         {"value", engine::Value(value)}});
}
