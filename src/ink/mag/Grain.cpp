#include "ink/mag/Grain.h"

#include "ink/Mag.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby {

void Grain::draw(cairo_t* cr, const Rect& frame) const {
    if (!(amount > 0)) return;
    const Rect f = frame.standardized();
    if (f.isEmpty() || !std::isfinite(f.x) || !std::isfinite(f.y) || !std::isfinite(f.w) || !std::isfinite(f.h))
        return;
    auto tile = Mag::grain();
    if (!tile) return;
    draw::Saved saved(cr);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile->surface());
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    // Pattern space is the tile's pixels: two per point, counted from the frame's corner.
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, 2, 2);
    cairo_matrix_translate(&m, -f.x, -f.y);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVERLAY);
    draw::clipRect(cr, f);
    cairo_paint_with_alpha(cr, std::min(amount, 1.0));
}

}  // namespace nolby
