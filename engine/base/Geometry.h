#pragma once

#include <algorithm>
#include <cmath>

namespace engine {

// Plain value types for positions, sizes and rectangles in design units.
// y grows upwards, as in the scene graph.

struct Vec2 {
    float x = 0;
    float y = 0;

    constexpr Vec2() = default;
    constexpr Vec2(float xx, float yy) : x(xx), y(yy) {}

    constexpr Vec2 operator+(const Vec2& o) const { return {x + o.x, y + o.y}; }
    constexpr Vec2 operator-(const Vec2& o) const { return {x - o.x, y - o.y}; }
    constexpr Vec2 operator-() const { return {-x, -y}; }
    constexpr Vec2 operator*(float s) const { return {x * s, y * s}; }
    constexpr Vec2 operator/(float s) const { return {x / s, y / s}; }
    Vec2& operator+=(const Vec2& o) {
        x += o.x;
        y += o.y;
        return *this;
    }
    Vec2& operator-=(const Vec2& o) {
        x -= o.x;
        y -= o.y;
        return *this;
    }
    Vec2& operator*=(float s) {
        x *= s;
        y *= s;
        return *this;
    }
    constexpr bool operator==(const Vec2& o) const { return x == o.x && y == o.y; }
    constexpr bool operator!=(const Vec2& o) const { return !(*this == o); }

    float length() const { return std::hypot(x, y); }
    float distance(const Vec2& o) const { return (*this - o).length(); }
    bool isZero() const { return x == 0 && y == 0; }

    static const Vec2 ZERO;
    static const Vec2 ANCHOR_MIDDLE;
    static const Vec2 ANCHOR_BOTTOM_LEFT;
    static const Vec2 ANCHOR_TOP_LEFT;
    static const Vec2 ANCHOR_BOTTOM_RIGHT;
    static const Vec2 ANCHOR_TOP_RIGHT;
    static const Vec2 ANCHOR_MIDDLE_LEFT;
    static const Vec2 ANCHOR_MIDDLE_RIGHT;
    static const Vec2 ANCHOR_MIDDLE_TOP;
    static const Vec2 ANCHOR_MIDDLE_BOTTOM;
};

inline constexpr Vec2 Vec2::ZERO{0, 0};
inline constexpr Vec2 Vec2::ANCHOR_MIDDLE{0.5f, 0.5f};
inline constexpr Vec2 Vec2::ANCHOR_BOTTOM_LEFT{0, 0};
inline constexpr Vec2 Vec2::ANCHOR_TOP_LEFT{0, 1};
inline constexpr Vec2 Vec2::ANCHOR_BOTTOM_RIGHT{1, 0};
inline constexpr Vec2 Vec2::ANCHOR_TOP_RIGHT{1, 1};
inline constexpr Vec2 Vec2::ANCHOR_MIDDLE_LEFT{0, 0.5f};
inline constexpr Vec2 Vec2::ANCHOR_MIDDLE_RIGHT{1, 0.5f};
inline constexpr Vec2 Vec2::ANCHOR_MIDDLE_TOP{0.5f, 1};
inline constexpr Vec2 Vec2::ANCHOR_MIDDLE_BOTTOM{0.5f, 0};

using Point = Vec2;

struct Size {
    float width = 0;
    float height = 0;

    constexpr Size() = default;
    constexpr Size(float w, float h) : width(w), height(h) {}

    constexpr Size operator*(float s) const { return {width * s, height * s}; }
    constexpr Size operator/(float s) const { return {width / s, height / s}; }
    constexpr bool operator==(const Size& o) const { return width == o.width && height == o.height; }
    constexpr bool operator!=(const Size& o) const { return !(*this == o); }

    static const Size ZERO;
};

inline constexpr Size Size::ZERO{0, 0};

struct Rect {
    Vec2 origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(float x, float y, float width, float height) : origin(x, y), size(width, height) {}
    constexpr Rect(const Vec2& o, const Size& s) : origin(o), size(s) {}

    constexpr float getMinX() const { return origin.x; }
    constexpr float getMidX() const { return origin.x + size.width / 2; }
    constexpr float getMaxX() const { return origin.x + size.width; }
    constexpr float getMinY() const { return origin.y; }
    constexpr float getMidY() const { return origin.y + size.height / 2; }
    constexpr float getMaxY() const { return origin.y + size.height; }

    // Edges are inside, as in the original engine.
    constexpr bool containsPoint(const Vec2& p) const {
        return p.x >= getMinX() && p.x <= getMaxX() && p.y >= getMinY() && p.y <= getMaxY();
    }
    constexpr bool intersectsRect(const Rect& r) const {
        return !(getMaxX() < r.getMinX() || r.getMaxX() < getMinX() || getMaxY() < r.getMinY() ||
                 r.getMaxY() < getMinY());
    }
    // The overlap of two rectangles; a zero-sized rectangle when they do not meet.
    Rect intersection(const Rect& r) const {
        const float minX = std::max(getMinX(), r.getMinX());
        const float minY = std::max(getMinY(), r.getMinY());
        const float maxX = std::min(getMaxX(), r.getMaxX());
        const float maxY = std::min(getMaxY(), r.getMaxY());
        if (maxX <= minX || maxY <= minY) {
            return Rect(minX, minY, 0, 0);
        }
        return Rect(minX, minY, maxX - minX, maxY - minY);
    }
    constexpr bool equals(const Rect& r) const { return origin == r.origin && size == r.size; }
    constexpr bool operator==(const Rect& r) const { return equals(r); }

    static const Rect ZERO;
};

inline constexpr Rect Rect::ZERO{0, 0, 0, 0};

} // namespace engine
