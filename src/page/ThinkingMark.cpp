#include "page/ThinkingMark.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

Rect ThinkingMark::frame(double ox, double s, Point at) {
    const double cx = ox + s * at.x + 13, cy = s * at.y + 6;
    return {cx - kSide / 2, cy - kSide / 2, kSide, kSide};
}

Path ThinkingMark::strokes(double w, double h, double t) {
    Path p;
    const double cx = w / 2, cy = h / 2;
    const double R = std::min(w, h) * 0.42 * (0.92 + 0.08 * std::sin(2.4 * t));
    const double turn = 0.9 * t;
    for (int k = 0; k < 3; ++k) {
        const double a = turn + k * M_PI / 3;
        const double wobble = a + 0.06 * std::sin(3 * t + k);
        p.moveTo({cx + R * std::cos(wobble), cy + R * std::sin(wobble)});
        p.quadTo({cx + 0.12 * R * std::cos(a + M_PI / 2), cy + 0.12 * R * std::sin(a + M_PI / 2)},
                 {cx - R * std::cos(a), cy - R * std::sin(a)});
    }
    return p;
}

void ThinkingMark::draw(cairo_t* cr, const Rect& f, double t, double presence) const {
    if (!cr || !(presence > 0) || !std::isfinite(t) || f.isEmpty() || !std::isfinite(f.x) || !std::isfinite(f.y) ||
        !std::isfinite(f.w) || !std::isfinite(f.h))
        return;
    const double shown = std::min(presence, 1.0);
    draw::Saved saved(cr);
    const double k = 0.6 + 0.4 * shown;
    if (!draw::translate(cr, f.midX(), f.midY()) || !draw::scale(cr, k, k) ||
        !draw::translate(cr, -f.w / 2, -f.h / 2))
        return;
    cairo_new_path(cr);
    draw::appendPath(cr, strokes(f.w, f.h, t));
    draw::setColor(cr, color.withAlpha(color.a * 0.85 * shown));
    draw::setLineWidth(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 10);
    cairo_stroke(cr);
}

}  // namespace nolby
