#include "platform/layers/GradientLayer.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

namespace {
// Below this many points of extent a gradient counts as having none.
constexpr double tiny = 1e-9;

double unit(double v) { return std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : 0.0; }
}  // namespace

LayerValue GradientLayer::value(KeyPath key) const {
    if (key == KeyPath::startPoint) return startPoint;
    if (key == KeyPath::endPoint) return endPoint;
    return Layer::value(key);
}

void GradientLayer::drawContent(cairo_t* cr, double t) const {
    Layer::drawContent(cr, t);
    Rect b = bounds.standardized();
    if (colors.empty() || bounds.isEmpty() || !std::isfinite(b.w) || !std::isfinite(b.h)) return;
    Point s = presentedPoint(KeyPath::startPoint, t), e = presentedPoint(KeyPath::endPoint, t);
    Point from{b.x + s.x * b.w, b.y + s.y * b.h}, to{b.x + e.x * b.w, b.y + e.y * b.h};
    const double rx = std::fabs(e.x - s.x) * b.w, ry = std::fabs(e.y - s.y) * b.h;

    cairo_pattern_t* p = nullptr;
    if (colors.size() > 1 && std::isfinite(from.x) && std::isfinite(from.y) && std::isfinite(to.x) && std::isfinite(to.y)) {
        if (type == Type::axial && distance(from, to) > tiny) {
            p = cairo_pattern_create_linear(from.x, from.y, to.x, to.y);
        } else if (type == Type::radial && rx > tiny && ry > tiny) {
            // A unit circle in pattern space, stretched into the ellipse.
            p = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
            cairo_matrix_t m;
            cairo_matrix_init_scale(&m, 1 / rx, 1 / ry);
            cairo_matrix_translate(&m, -from.x, -from.y);
            cairo_pattern_set_matrix(p, &m);
        }
    }
    draw::Saved saved(cr);
    if (p) {
        const bool spaced = locations.size() == colors.size();
        for (size_t i = 0; i < colors.size(); ++i) {
            double at = spaced ? unit(locations[i]) : double(i) / double(colors.size() - 1);
            const Color& c = colors[i];
            cairo_pattern_add_color_stop_rgba(p, at, unit(c.r), unit(c.g), unit(c.b), unit(c.a));
        }
        cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
        cairo_set_source(cr, p);
        cairo_pattern_destroy(p);
    } else {
        draw::setColor(cr, colors.back());
    }
    cairo_new_path(cr);
    cairo_rectangle(cr, b.x, b.y, b.w, b.h);
    cairo_fill(cr);
}

Rect GradientLayer::drawnExtent(double t) const {
    if (bounds.isEmpty()) return Rect::null();
    if (!colors.empty()) return bounds.standardized();
    return Layer::drawnExtent(t);
}

}  // namespace nolby
