#pragma once

#include <cmath>

namespace engine {

// A point or direction in 3D; the scene graph lives in z = 0 but 3D rotations
// and the perspective camera need the third axis.
struct Vec3 {
    float x = 0;
    float y = 0;
    float z = 0;

    constexpr Vec3() = default;
    constexpr Vec3(float xx, float yy, float zz) : x(xx), y(yy), z(zz) {}

    constexpr Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
    constexpr Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
    constexpr Vec3 operator*(float s) const { return {x * s, y * s, z * s}; }
    constexpr bool operator==(const Vec3& o) const { return x == o.x && y == o.y && z == o.z; }
    constexpr bool operator!=(const Vec3& o) const { return !(*this == o); }

    constexpr float dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
    constexpr Vec3 cross(const Vec3& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    float length() const { return std::sqrt(dot(*this)); }
    Vec3 normalized() const {
        const float len = length();
        return len > 0 ? Vec3(x / len, y / len, z / len) : *this;
    }

    static const Vec3 ZERO;
};

inline constexpr Vec3 Vec3::ZERO{0, 0, 0};

// Homogeneous coordinates, the result of a projection before the divide.
struct Vec4 {
    float x = 0;
    float y = 0;
    float z = 0;
    float w = 0;

    constexpr Vec4() = default;
    constexpr Vec4(float xx, float yy, float zz, float ww) : x(xx), y(yy), z(zz), w(ww) {}
};

} // namespace engine
