#include "ink/mag/Symbols.h"

#include "ink/SvgPath.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace nolby::symbols {

namespace {

// The drawn symbols as path data in a box of 20 units centred on (10, 10), 20 units being
// 2.4 half-extents.
const char* pathData(Symbol symbol) {
    switch (symbol) {
    case Symbol::textBubble:
        return "M6 3 L14 3 Q18 3 18 7 L18 11 Q18 15 14 15 L9 15 L5 18.5 L6 15 Q2 15 2 11 L2 7 Q2 3 6 3 Z "
               "M6 7.5 L14 7.5 M6 11 L11.5 11";
    case Symbol::arrowDown: return "M10 2.5 L10 17.5 M4 11.5 L10 17.5 L16 11.5";
    case Symbol::arrowDownRight: return "M4 4 L16 16 M16 6.5 L16 16 L6.5 16";
    default: return nullptr;
    }
}

void appendData(cairo_t* cr, const char* d, Point c, double h) {
    const double u = 2.4 * h / 20;
    for (const auto& sub : SvgPath::parse(d, u, u, c.x - 10 * u, c.y - 10 * u)) {
        cairo_move_to(cr, sub->pts[0].x, sub->pts[0].y);
        for (size_t i = 1; i < sub->pts.size(); ++i) cairo_line_to(cr, sub->pts[i].x, sub->pts[i].y);
        if (sub->closed) cairo_close_path(cr);
    }
}

}  // namespace

double width(Symbol symbol, double size) {
    if (!(size > 0) || !std::isfinite(size)) return 0;
    return (pathData(symbol) ? 2.4 : 1.8) * size * 0.36;
}

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
    default: appendData(cr, pathData(symbol), c, h); break;
    }
    draw::setColor(cr, color);
    draw::setLineWidth(cr, size * (0.06 + 0.1 * std::clamp(weight, 0.0, 1.0)));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
}

}  // namespace nolby::symbols
