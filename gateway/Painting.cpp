#include "Painting.h"

#include "ink/Rng.h"

#include <cairo.h>

#include <array>
#include <cmath>

namespace nolby::service {

namespace {

struct Rgb {
    double r, g, b;
};

// Soft pigments of the washes.
constexpr std::array<Rgb, 7> kPigments = {{{0.47, 0.63, 0.82},
                                           {0.86, 0.67, 0.35},
                                           {0.55, 0.71, 0.51},
                                           {0.84, 0.51, 0.55},
                                           {0.63, 0.55, 0.78},
                                           {0.39, 0.67, 0.67},
                                           {0.93, 0.78, 0.45}}};

// A blob with a wobbly edge, filled with a wash that fades outwards.
void wash(cairo_t* cr, Rng& rng, int w, int h) {
    const double shortSide = std::min(w, h);
    const double cx = rng.range(0.05, 0.95) * w, cy = rng.range(0.1, 0.95) * h;
    const double radius = rng.range(0.15, 0.42) * shortSide;
    const Rgb c = kPigments[rng.next() % kPigments.size()];
    const double alpha = rng.range(0.18, 0.34);
    constexpr int kPoints = 14;
    const double phase = rng.range(0, 2 * M_PI);
    std::array<std::pair<double, double>, kPoints> pts;
    for (int i = 0; i < kPoints; ++i) {
        const double a = phase + i * 2 * M_PI / kPoints;
        const double r = radius * rng.range(0.82, 1.12);
        pts[i] = {cx + r * std::cos(a), cy + r * 0.8 * std::sin(a)};
    }
    // A closed smooth curve through the points (Catmull-Rom as cubic Béziers).
    auto at = [&](int i) { return pts[static_cast<size_t>((i + kPoints) % kPoints)]; };
    cairo_new_path(cr);
    cairo_move_to(cr, pts[0].first, pts[0].second);
    for (int i = 0; i < kPoints; ++i) {
        const auto [x0, y0] = at(i - 1);
        const auto [x1, y1] = at(i);
        const auto [x2, y2] = at(i + 1);
        const auto [x3, y3] = at(i + 2);
        cairo_curve_to(cr, x1 + (x2 - x0) / 6, y1 + (y2 - y0) / 6, x2 - (x3 - x1) / 6, y2 - (y3 - y1) / 6, x2, y2);
    }
    cairo_close_path(cr);
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, radius * 0.1, cx, cy, radius * 1.1);
    cairo_pattern_add_color_stop_rgba(p, 0, c.r, c.g, c.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 0.75, c.r, c.g, c.b, alpha * 0.7);
    cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0);
    cairo_set_source(cr, p);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// A loose line of darker paint across part of the picture.
void stroke(cairo_t* cr, Rng& rng, int w, int h) {
    const Rgb c = kPigments[rng.next() % kPigments.size()];
    double x = rng.range(0.05, 0.4) * w, y = rng.range(0.3, 0.9) * h;
    cairo_new_path(cr);
    cairo_move_to(cr, x, y);
    for (int i = 0; i < 3; ++i) {
        const double x3 = x + rng.range(0.08, 0.25) * w, y3 = y + rng.range(-0.12, 0.12) * h;
        cairo_curve_to(cr, x + (x3 - x) * 0.3, y + rng.range(-0.1, 0.1) * h, x + (x3 - x) * 0.7,
                       y3 + rng.range(-0.1, 0.1) * h, x3, y3);
        x = x3;
        y = y3;
    }
    cairo_set_source_rgba(cr, c.r * 0.6, c.g * 0.6, c.b * 0.6, 0.55);
    cairo_set_line_width(cr, rng.range(1.5, 4));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

}  // namespace

std::pair<int, int> paintingSize(const std::string& aspect) {
    if (aspect == "4:3") return {768, 576};
    if (aspect == "3:4") return {576, 768};
    if (aspect == "16:9") return {768, 432};
    if (aspect == "3:2") return {768, 512};
    if (aspect == "2:3") return {512, 768};
    return {768, 768};
}

std::shared_ptr<const Image> painting(const std::string& subject, const std::string& aspect) {
    const auto [w, h] = paintingSize(aspect);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    // Paper: near-white, warm, so the app's whitening turns it white.
    cairo_set_source_rgb(cr, 0.984, 0.973, 0.945);
    cairo_paint(cr);
    Rng rng(stableHash(subject));
    const int washes = 6 + static_cast<int>(rng.next() % 5);
    for (int i = 0; i < washes; ++i) wash(cr, rng, w, h);
    const int strokes = 2 + static_cast<int>(rng.next() % 3);
    for (int i = 0; i < strokes; ++i) stroke(cr, rng, w, h);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return Image::adopt(surface);
}

}  // namespace nolby::service
