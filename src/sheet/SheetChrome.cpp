#include "sheet/SheetChrome.h"

#include "ink/Ink.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>

namespace nolby::SheetChrome {

bool outlineShown(bool allowed, const std::optional<SheetLayout>& layout, size_t entries) {
    return allowed && layout && layout->x > kOutlineRoom && entries >= 2;
}

double outlineWidth(double x) { return std::min(x - 76, kOutlineMaxWidth); }

Point barOrigin(const Rect& r, double W) {
    const double x = std::min(std::max(r.minX() - 6, 12.0), W - kBarRoom);
    const double y = r.minY() > kBarAboveFrom ? r.minY() - 44 : r.maxY() + 8;
    return {x, y};
}

Point writingBelowCentre(double W, double H) { return {W / 2, H - 36}; }

void drawFade(cairo_t* cr, double W) {
    if (!(W > 0) || !std::isfinite(W)) return;
    draw::Saved saved(cr);
    const Color p = Ink::paper;
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, kFadeHeight);
    cairo_pattern_add_color_stop_rgba(g, 0, p.r, p.g, p.b, 1);
    cairo_pattern_add_color_stop_rgba(g, 0.5, p.r, p.g, p.b, 0.92);
    cairo_pattern_add_color_stop_rgba(g, 1, p.r, p.g, p.b, 0);
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, W, kFadeHeight);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

}  // namespace nolby::SheetChrome
