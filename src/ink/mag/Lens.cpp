#include "ink/mag/Lens.h"

#include "ink/Mag.h"
#include "platform/Blur.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby {

namespace {

void circle(cairo_t* cr, Point c, double r) {
    cairo_new_path(cr);
    cairo_arc(cr, c.x, c.y, r, 0, 2 * std::numbers::pi);
}

}  // namespace

void Lens::draw(cairo_t* cr, Point origin, const std::function<void(cairo_t*)>& under) const {
    const double r = radius;
    if (!(r > 0) || !std::isfinite(r) || !std::isfinite(power) || !std::isfinite(center.x + center.y) ||
        !std::isfinite(origin.x + origin.y))
        return;
    draw::Saved saved(cr);
    if (!draw::translate(cr, origin.x, origin.y)) return;
    const Point c = center;

    // The content, enlarged about the lens centre, seen through the circle.
    if (under) {
        draw::Saved s(cr);
        circle(cr, c, r);
        cairo_clip(cr);
        draw::clipRect(cr, {0, 0, size.width, size.height});
        draw::translate(cr, c.x, c.y);
        draw::scale(cr, power, power);
        draw::translate(cr, -c.x, -c.y);
        under(cr);
    }

    const Rect box{c.x - r, c.y - r, 2 * r, 2 * r};
    const double rim = std::max(0.05 * r, 1.0);
    auto glass = [&](cairo_t* g) {
        // Clear in the middle, misted toward the edge.
        cairo_pattern_t* mist = cairo_pattern_create_radial(c.x, c.y, 0, c.x, c.y, r);
        cairo_pattern_add_color_stop_rgba(mist, 0, 1, 1, 1, 0);
        cairo_pattern_add_color_stop_rgba(mist, 0.5, 1, 1, 1, 0);
        cairo_pattern_add_color_stop_rgba(mist, 1, 1, 1, 1, 0.28);
        circle(g, c, r);
        cairo_set_source(g, mist);
        cairo_fill(g);
        cairo_pattern_destroy(mist);
        // The rim, inside the circle's edge.
        cairo_pattern_t* edge = cairo_pattern_create_linear(box.x, box.y, box.x + box.w, box.y + box.h);
        cairo_pattern_add_color_stop_rgba(edge, 0, 1, 1, 1, 0.95);
        cairo_pattern_add_color_stop_rgba(edge, 0.5, Mag::cyan.r, Mag::cyan.g, Mag::cyan.b, 0.5);
        cairo_pattern_add_color_stop_rgba(edge, 1, 0, 0, 0, 0.25);
        circle(g, c, r - rim / 2);
        cairo_set_source(g, edge);
        draw::setLineWidth(g, rim);
        cairo_stroke(g);
        cairo_pattern_destroy(edge);
    };
    drawShadow(cr, box.insetBy(-rim, -rim), Color{0, 0, 0, 0.25}, 0.05 * r, 0.12 * r, 0.06 * r, glass);
    glass(cr);

    // The highlight: a soft tilted ellipse near the top left.
    const double ew = 0.55 * r, eh = 0.22 * r;
    const Point e{box.x + 0.32 * r + ew / 2, box.y + 0.28 * r + eh / 2};
    drawShadow(cr, {e.x - ew, e.y - ew, 2 * ew, 2 * ew}, Color{1, 1, 1, 0.75}, 0.04 * r, 0, 0, [&](cairo_t* g) {
        draw::Saved h(g);
        draw::translate(g, e.x, e.y);
        draw::rotate(g, -35 * std::numbers::pi / 180);
        draw::scale(g, ew / 2, eh / 2);
        circle(g, {0, 0}, 1);
        cairo_set_source_rgba(g, 1, 1, 1, 1);
        cairo_fill(g);
    });
}

}  // namespace nolby
