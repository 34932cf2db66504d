#include "platform/Blur.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace nolby {

BoxWidths boxesForGaussian(double sigma) {
    // Three boxes of widths wl and wl + 2, as many of each as makes their variance closest
    // to the Gaussian's (Kovesi's recipe).
    const int n = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int wl = static_cast<int>(std::floor(ideal));
    if (wl % 2 == 0) --wl;
    wl = std::max(wl, 1);
    const int wu = wl + 2;
    const double mIdeal = (12 * sigma * sigma - n * wl * wl - 4.0 * n * wl - 3.0 * n) / (-4.0 * wl - 4);
    const int m = std::clamp(static_cast<int>(std::lround(mIdeal)), 0, n);
    BoxWidths b{};
    for (int i = 0; i < n; ++i) b.w[i] = i < m ? wl : wu;
    return b;
}

namespace {

// One box pass along a line of `count` samples `step` bytes apart, through `tmp`.
void boxLine(uint8_t* p, int count, int step, int radius, std::vector<uint32_t>& tmp) {
    const int w = 2 * radius + 1;
    tmp.resize(static_cast<size_t>(count));
    uint32_t sum = 0;
    // The window for sample 0 covers -radius..radius; samples outside are 0.
    for (int i = 0; i <= radius && i < count; ++i) sum += p[i * step];
    for (int i = 0; i < count; ++i) {
        tmp[static_cast<size_t>(i)] = (sum + static_cast<uint32_t>(w / 2)) / static_cast<uint32_t>(w);
        const int in = i + radius + 1, out = i - radius;
        if (in < count) sum += p[in * step];
        if (out >= 0) sum -= p[out * step];
    }
    for (int i = 0; i < count; ++i) p[i * step] = static_cast<uint8_t>(tmp[static_cast<size_t>(i)]);
}

}  // namespace

void blurSurface(cairo_surface_t* surface, double sigma) {
    if (!surface || !std::isfinite(sigma) || sigma < 1.0 / 3) return;
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return;
    const cairo_format_t format = cairo_image_surface_get_format(surface);
    const int channels = format == CAIRO_FORMAT_A8 ? 1 : format == CAIRO_FORMAT_ARGB32 ? 4 : 0;
    if (channels == 0) return;
    cairo_surface_flush(surface);
    uint8_t* data = cairo_image_surface_get_data(surface);
    const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    if (!data || width <= 0 || height <= 0) return;
    const BoxWidths boxes = boxesForGaussian(std::min(sigma, 500.0));
    std::vector<uint32_t> tmp;
    for (int pass = 0; pass < 3; ++pass) {
        const int r = (boxes.w[pass] - 1) / 2;
        if (r == 0) continue;
        for (int y = 0; y < height; ++y)
            for (int c = 0; c < channels; ++c) boxLine(data + y * stride + c, width, channels, r, tmp);
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) boxLine(data + x * channels + c, height, stride, r, tmp);
    }
    cairo_surface_mark_dirty(surface);
}

void drawShadow(cairo_t* cr, const Rect& bounds, Color color, double radius, double dx, double dy,
                const std::function<void(cairo_t*)>& paint) {
    if (!cr || !paint || cairo_status(cr) != CAIRO_STATUS_SUCCESS) return;
    if (!(color.a > 0) || !std::isfinite(radius) || !std::isfinite(dx) || !std::isfinite(dy)) return;
    Rect b = bounds.standardized();
    if (b.isEmpty() || !std::isfinite(b.x) || !std::isfinite(b.y) || !std::isfinite(b.w) || !std::isfinite(b.h))
        return;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    const double scale = std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
    if (!std::isfinite(scale) || scale <= 0) return;
    const double sigma = std::max(radius, 0.0) * scale;
    // The bitmap covers the bounds in device space, moved by the offset, plus three sigmas.
    double x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    for (Point p : {Point{b.x, b.y}, Point{b.x + b.w, b.y}, Point{b.x, b.y + b.h}, Point{b.x + b.w, b.y + b.h}}) {
        double x = p.x + dx, y = p.y + dy;
        cairo_user_to_device(cr, &x, &y);
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    const double pad = std::ceil(3 * sigma) + 1;
    // Only the part that can land on the target's clip is worth rendering.
    double cx0, cy0, cx1, cy1;
    cairo_clip_extents(cr, &cx0, &cy0, &cx1, &cy1);
    cairo_user_to_device(cr, &cx0, &cy0);
    cairo_user_to_device(cr, &cx1, &cy1);
    const double left = std::floor(std::max(x0 - pad, std::min(cx0, cx1) - pad));
    const double top = std::floor(std::max(y0 - pad, std::min(cy0, cy1) - pad));
    const double right = std::ceil(std::min(x1 + pad, std::max(cx0, cx1) + pad));
    const double bottom = std::ceil(std::min(y1 + pad, std::max(cy0, cy1) + pad));
    if (!(right > left) || !(bottom > top) || right - left > 16384 || bottom - top > 16384) return;
    const int w = static_cast<int>(right - left), h = static_cast<int>(bottom - top);

    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* mc = cairo_create(mask);
    cairo_matrix_t shifted = m;
    shifted.x0 -= left;
    shifted.y0 -= top;
    cairo_set_matrix(mc, &shifted);
    cairo_translate(mc, dx, dy);
    paint(mc);
    cairo_destroy(mc);
    blurSurface(mask, sigma);

    draw::Saved saved(cr);
    cairo_identity_matrix(cr);
    draw::setColor(cr, color);
    cairo_mask_surface(cr, mask, left, top);
    cairo_surface_destroy(mask);
}

}  // namespace nolby
