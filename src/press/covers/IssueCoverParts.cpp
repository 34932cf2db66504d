#include "press/covers/IssueCoverParts.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby::cover {

namespace {

// A soft shadow's radius as the Gaussian's standard deviation.
double sigma(double radius) { return radius / 2; }

}  // namespace

std::shared_ptr<const Font> fraunces(double size, double weight, double wonk) {
    return Mag::ct(Mag::Face::fraunces, size,
                   {{"wght", weight}, {"SOFT", 100}, {"opsz", std::clamp(size, 9.0, 144.0)}, {"WONK", wonk}});
}

std::shared_ptr<const Font> futura(bool bold, double size) {
    return Mag::systemFont(bold ? Mag::kFuturaBoldStandIn : Mag::kFuturaMediumStandIn, size);
}

void shadowed(cairo_t* cr, const chrome::Block& block, double x, double top, Color color, double radius, double dy) {
    draw::Saved saved(cr);
    if (!draw::translate(cr, 0, dy)) return;
    chrome::shadow(cr, block, x, top, color, sigma(radius));
}

void shadowedLine(cairo_t* cr, const chrome::Line& line, double x, double baseline, Color color, double radius,
                  double dy) {
    draw::Saved saved(cr);
    if (!draw::translate(cr, 0, dy)) return;
    chrome::shadow(cr, line, x, baseline, color, sigma(radius));
}

void fillWith(cairo_t* cr, const Image& image, const Rect& area) {
    const double iw = image.width(), ih = image.height();
    const double k = std::max(area.w / iw, area.h / ih);
    if (!std::isfinite(k) || !(k > 0)) return;
    draw::Saved saved(cr);
    draw::clipRect(cr, area);
    if (!draw::translate(cr, area.x + (area.w - iw * k) / 2, area.y + (area.h - ih * k) / 2) || !draw::scale(cr, k, k))
        return;
    cairo_set_source_surface(cr, image.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
}

void fillRect(cairo_t* cr, const Rect& r, Color color) {
    if (!(r.w > 0) || !(r.h > 0)) return;
    Path p;
    p.addRect(r);
    draw::fillPath(cr, p, color);
}

void shade(cairo_t* cr, const Rect& area, double y0, Color a, double y1, Color b) {
    if (!std::isfinite(y0) || !std::isfinite(y1) || y0 == y1) return;
    draw::Saved saved(cr);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(g, 0, a.r, a.g, a.b, a.a);
    cairo_pattern_add_color_stop_rgba(g, 1, b.r, b.g, b.b, b.a);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
    draw::clipRect(cr, area);
    cairo_paint(cr);
}

}  // namespace nolby::cover
