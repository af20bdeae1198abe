#pragma once

#include <cstdint>

namespace engine {

// Colours as the scene graph uses them: bytes for tints and layer colours,
// floats where a blend needs them.
struct Color3B {
    std::uint8_t r = 255;
    std::uint8_t g = 255;
    std::uint8_t b = 255;

    constexpr Color3B() = default;
    constexpr Color3B(std::uint8_t rr, std::uint8_t gg, std::uint8_t bb) : r(rr), g(gg), b(bb) {}

    constexpr bool operator==(const Color3B& o) const { return r == o.r && g == o.g && b == o.b; }
    constexpr bool operator!=(const Color3B& o) const { return !(*this == o); }

    static const Color3B WHITE;
    static const Color3B BLACK;
    static const Color3B RED;
    static const Color3B GREEN;
    static const Color3B BLUE;
    static const Color3B YELLOW;
    static const Color3B GRAY;
};

inline constexpr Color3B Color3B::WHITE{255, 255, 255};
inline constexpr Color3B Color3B::BLACK{0, 0, 0};
inline constexpr Color3B Color3B::RED{255, 0, 0};
inline constexpr Color3B Color3B::GREEN{0, 255, 0};
inline constexpr Color3B Color3B::BLUE{0, 0, 255};
inline constexpr Color3B Color3B::YELLOW{255, 255, 0};
inline constexpr Color3B Color3B::GRAY{166, 166, 166};

struct Color4F;

struct Color4B {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    std::uint8_t a = 0;

    constexpr Color4B() = default;
    constexpr Color4B(std::uint8_t rr, std::uint8_t gg, std::uint8_t bb, std::uint8_t aa)
        : r(rr), g(gg), b(bb), a(aa) {}
    constexpr Color4B(const Color3B& c, std::uint8_t aa) : r(c.r), g(c.g), b(c.b), a(aa) {}
    explicit Color4B(const Color4F& c);

    constexpr bool operator==(const Color4B& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    constexpr bool operator!=(const Color4B& o) const { return !(*this == o); }

    static const Color4B WHITE;
    static const Color4B BLACK;
};

inline constexpr Color4B Color4B::WHITE{255, 255, 255, 255};
inline constexpr Color4B Color4B::BLACK{0, 0, 0, 255};

struct Color4F {
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 0;

    constexpr Color4F() = default;
    constexpr Color4F(float rr, float gg, float bb, float aa) : r(rr), g(gg), b(bb), a(aa) {}
    constexpr explicit Color4F(const Color4B& c)
        : r(c.r / 255.0f), g(c.g / 255.0f), b(c.b / 255.0f), a(c.a / 255.0f) {}
    constexpr Color4F(const Color3B& c, float aa)
        : r(c.r / 255.0f), g(c.g / 255.0f), b(c.b / 255.0f), a(aa) {}

    constexpr bool operator==(const Color4F& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    constexpr bool operator!=(const Color4F& o) const { return !(*this == o); }

    static const Color4F WHITE;
    static const Color4F BLACK;
};

inline constexpr Color4F Color4F::WHITE{1, 1, 1, 1};
inline constexpr Color4F Color4F::BLACK{0, 0, 0, 1};

namespace detail {
constexpr std::uint8_t unitToByte(float v) {
    return static_cast<std::uint8_t>(v <= 0 ? 0 : v >= 1 ? 255 : v * 255.0f + 0.5f);
}
} // namespace detail

inline Color4B::Color4B(const Color4F& c)
    : r(detail::unitToByte(c.r)), g(detail::unitToByte(c.g)), b(detail::unitToByte(c.b)),
      a(detail::unitToByte(c.a)) {}

} // namespace engine
