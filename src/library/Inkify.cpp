#include "library/Inkify.h"

#include <cairo.h>

#include <algorithm>
#include <cstdint>

namespace nolby {

namespace {

// One pixel's ink from its colour on white. The order of operations is fixed: k equals m
// only up to rounding, and the truncations depend on it.
uint32_t inkPixel(uint32_t pixel) {
    const double r = double((pixel >> 16) & 0xFF), g = double((pixel >> 8) & 0xFF), b = double(pixel & 0xFF);
    const double m = std::min(std::min(r, g), b);
    const double a = 1 - m / 255;
    if (a < 0.02) return 0;  // near-white is paper
    const double k = (1 - a) * 255;
    auto channel = [k](double c) { return uint32_t(std::clamp(c - k, 0.0, 255.0)); };
    const auto alpha = uint32_t(a * 255);
    return alpha << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

}  // namespace

std::shared_ptr<const Image> inkify(const Image& painting) {
    const int w = painting.width(), h = painting.height();
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS || !cairo_image_surface_get_data(s)) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    // The painting over white: a transparent pixel is bare paper, not black ink.
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_surface(cr, painting.surface(), 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(s);

    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < w; ++x) row[x] = inkPixel(row[x]);
    }
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

}  // namespace nolby
