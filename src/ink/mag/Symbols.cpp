#include "ink/mag/Symbols.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby::symbols {

void draw(cairo_t* cr, Symbol symbol, Point c, double size, double weight, Color color) {
    if (!std::isfinite(c.x) || !std::isfinite(c.y) || !(size > 0) || !std::isfinite(size)) return;
    draw::Saved saved(cr);
    const double h = size * 0.36;  // half the glyph's extent, about the cap height's
    cairo_new_path(cr);
    switch (symbol) {
    case Symbol::minus:
        cairo_move_to(cr, c.x - h, c.y);
        cairo_line_to(cr, c.x + h, c.y);
        break;
    case Symbol::square:
        cairo_rectangle(cr, c.x - h * 0.9, c.y - h * 0.9, h * 1.8, h * 1.8);
        break;
    case Symbol::xmark:
        cairo_move_to(cr, c.x - h * 0.85, c.y - h * 0.85);
        cairo_line_to(cr, c.x + h * 0.85, c.y + h * 0.85);
        cairo_move_to(cr, c.x + h * 0.85, c.y - h * 0.85);
        cairo_line_to(cr, c.x - h * 0.85, c.y + h * 0.85);
        break;
    case Symbol::asterisk:
        for (int i = 0; i < 3; ++i) {
            const double a = std::numbers::pi / 2 + i * std::numbers::pi / 3;
            cairo_move_to(cr, c.x + std::cos(a) * h * 1.1, c.y - std::sin(a) * h * 1.1);
            cairo_line_to(cr, c.x - std::cos(a) * h * 1.1, c.y + std::sin(a) * h * 1.1);
        }
        break;
    }
    draw::setColor(cr, color);
    draw::setLineWidth(cr, size * (0.06 + 0.1 * std::clamp(weight, 0.0, 1.0)));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

}  // namespace nolby::symbols
