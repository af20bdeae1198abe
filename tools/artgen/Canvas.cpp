#include "tools/artgen/Canvas.h"

#include <cmath>
#include <system_error>

namespace pavlune::artgen {

Canvas::Canvas(double designWidth, double designHeight)
    : width_(designWidth), height_(designHeight),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32,
                                          static_cast<int>(std::lround(designWidth * kPixelsPerUnit)),
                                          static_cast<int>(std::lround(designHeight * kPixelsPerUnit)))),
      cr_(cairo_create(surface_)) {
    cairo_scale(cr_, kPixelsPerUnit, kPixelsPerUnit);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

bool Canvas::writePng(const std::filesystem::path& file, std::string& error) const {
    std::error_code ec;
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), ec);
        if (ec) {
            error = "cannot create " + file.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    cairo_surface_flush(surface_);
    const cairo_status_t status = cairo_surface_write_to_png(surface_, file.string().c_str());
    if (status != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + file.string() + ": " + cairo_status_to_string(status);
        return false;
    }
    return true;
}

} // namespace pavlune::artgen
