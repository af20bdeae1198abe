#pragma once

#include <cairo.h>
#include <filesystem>
#include <numbers>
#include <string>

namespace pavlune::artgen {

inline constexpr double kPi = std::numbers::pi;

// The number of pixels per design unit in every picture.
inline constexpr int kPixelsPerUnit = 2;

// An RGB colour with components 0..1, written as 0xRRGGBB.
struct Rgb {
    double r = 0, g = 0, b = 0;
    constexpr Rgb() = default;
    constexpr explicit Rgb(unsigned hex)
        : r(((hex >> 16) & 0xFF) / 255.0), g(((hex >> 8) & 0xFF) / 255.0), b((hex & 0xFF) / 255.0) {}
    constexpr Rgb mix(const Rgb& o, double t) const {
        Rgb m;
        m.r = r + (o.r - r) * t;
        m.g = g + (o.g - g) * t;
        m.b = b + (o.b - b) * t;
        return m;
    }
};

// A transparent ARGB picture drawn in design units, stored at twice the
// resolution. Cairo's user space is scaled so that drawing code never
// thinks about pixels; origin top-left, y downwards.
class Canvas {
public:
    Canvas(double designWidth, double designHeight);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }
    double width() const { return width_; }
    double height() const { return height_; }

    // Writes a PNG (no time stamp, so the same drawing gives the same bytes).
    // Creates missing folders. Returns false with a reason on failure.
    bool writePng(const std::filesystem::path& file, std::string& error) const;

private:
    double width_;
    double height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

} // namespace pavlune::artgen
