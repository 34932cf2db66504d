#include "ink/ops/ImageOp.h"

#include "platform/Canvas.h"

#include <cmath>

namespace nolby {

void ImageOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0) || !image) return;
    Rect d = dst.standardized();
    if (d.isNull() || !(d.w > 0) || !(d.h > 0) || !std::isfinite(d.x + d.y + d.w + d.h)) return;
    draw::Saved saved(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_MULTIPLY);
    double alpha = 1;
    if (t < 1) {
        // Our pages run y down, so the image draws straight into dst and its top t shows.
        draw::clipRect(cr, {d.x, d.y, d.w, t * d.h});
        alpha = 0.35 + 0.65 * t;
    }
    if (!draw::translate(cr, d.x, d.y)) return;
    if (!draw::scale(cr, d.w / image->width(), d.h / image->height())) return;
    cairo_set_source_surface(cr, image->surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BEST);
    cairo_rectangle(cr, 0, 0, image->width(), image->height());
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, alpha);
}

}  // namespace nolby
