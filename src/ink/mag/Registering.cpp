#include "ink/mag/Registering.h"

#include "ink/Mag.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace nolby {

namespace {

double clampedT(double t) { return std::isfinite(t) ? std::clamp(t, 0.0, 1.0) : 0.0; }

// A copy of an ARGB32 surface with every colour channel multiplied by the ink's (alpha kept),
// the way a tinted print plate takes only its own ink.
cairo_surface_t* tinted(cairo_surface_t* source, Color ink) {
    const int w = cairo_image_surface_get_width(source), h = cairo_image_surface_get_height(source);
    const int stride = cairo_image_surface_get_stride(source);
    cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) return out;
    cairo_surface_flush(out);
    const uint8_t* in = cairo_image_surface_get_data(source);
    uint8_t* dst = cairo_image_surface_get_data(out);
    const int outStride = cairo_image_surface_get_stride(out);
    const uint32_t kr = static_cast<uint32_t>(std::lround(ink.r * 255));
    const uint32_t kg = static_cast<uint32_t>(std::lround(ink.g * 255));
    const uint32_t kb = static_cast<uint32_t>(std::lround(ink.b * 255));
    auto times = [](uint32_t c, uint32_t k) { return (c * k + 127) / 255; };
    for (int y = 0; y < h; ++y) {
        const uint32_t* a = reinterpret_cast<const uint32_t*>(in + y * stride);
        uint32_t* b = reinterpret_cast<uint32_t*>(dst + y * outStride);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = a[x];
            b[x] = (v & 0xFF000000u) | (times((v >> 16) & 0xFF, kr) << 16) | (times((v >> 8) & 0xFF, kg) << 8) |
                   times(v & 0xFF, kb);
        }
    }
    cairo_surface_mark_dirty(out);
    return out;
}

}  // namespace

double Registering::offset() const { return (1 - clampedT(t)) * 16; }

void Registering::draw(cairo_t* cr, const Rect& area, const std::function<void(cairo_t*)>& content) const {
    if (!cr || !content) return;
    const double k = clampedT(t);
    if (k <= 0) return;
    if (k >= 1) {
        content(cr);
        return;
    }
    const Rect a = area.standardized();
    if (a.isEmpty() || !std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(a.w) || !std::isfinite(a.h))
        return;
    // The picture, rendered once at device resolution over the area's device bounds.
    double x0 = a.x, y0 = a.y, x1 = a.x + a.w, y1 = a.y + a.h;
    cairo_user_to_device(cr, &x0, &y0);
    cairo_user_to_device(cr, &x1, &y1);
    const double left = std::floor(std::min(x0, x1)), top = std::floor(std::min(y0, y1));
    const double right = std::ceil(std::max(x0, x1)), bottom = std::ceil(std::max(y0, y1));
    if (!(right > left) || !(bottom > top) || right - left > 16384 || bottom - top > 16384) return;
    cairo_surface_t* plain =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(right - left), static_cast<int>(bottom - top));
    {
        cairo_t* pc = cairo_create(plain);
        cairo_matrix_t m;
        cairo_get_matrix(cr, &m);
        m.x0 -= left;
        m.y0 -= top;
        cairo_set_matrix(pc, &m);
        content(pc);
        cairo_destroy(pc);
        cairo_surface_flush(plain);
    }
    cairo_surface_t* magenta = tinted(plain, Mag::magenta);
    cairo_surface_t* cyan = tinted(plain, Mag::cyan);

    const double m = offset();
    double mdx = -m, mdy = -0.5 * m, cdx = m, cdy = 0.4 * m;
    cairo_user_to_device_distance(cr, &mdx, &mdy);
    cairo_user_to_device_distance(cr, &cdx, &cdy);

    draw::Saved saved(cr);
    // The copies reach at most m beyond the area; the group needs no more than that.
    draw::clipRect(cr, a.insetBy(-m - 1, -m - 1));
    cairo_identity_matrix(cr);
    cairo_push_group(cr);
    cairo_set_source_surface(cr, plain, left, top);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
    cairo_set_source_surface(cr, magenta, left + mdx, top + mdy);
    cairo_paint_with_alpha(cr, 1 - k);
    cairo_set_source_surface(cr, cyan, left + cdx, top + cdy);
    cairo_paint_with_alpha(cr, 1 - k);
    cairo_pop_group_to_source(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint_with_alpha(cr, std::min(2.4 * k, 1.0));
    cairo_surface_destroy(cyan);
    cairo_surface_destroy(magenta);
    cairo_surface_destroy(plain);
}

}  // namespace nolby
