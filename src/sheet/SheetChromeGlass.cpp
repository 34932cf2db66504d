#include "sheet/SheetChromeGlass.h"

#include "ink/mag/Symbols.h"
#include "platform/Canvas.h"
#include "platform/Path.h"

#include <algorithm>
#include <cmath>

namespace nolby::glass {

namespace {

void shape(cairo_t* cr, const Rect& r, double radius) {
    Path p;
    p.addRoundedRect(r, radius, radius);
    cairo_new_path(cr);
    draw::appendPath(cr, p);
}

}  // namespace

void panel(cairo_t* cr, const Rect& frame, double radius, bool pressed) {
    if (frame.isEmpty() || !std::isfinite(frame.w) || !std::isfinite(frame.h)) return;
    const double r = std::clamp(radius, 0.0, std::min(frame.w, frame.h) / 2);
    draw::Saved saved(cr);
    // The shadow: a few widening rings, faint, a little below the panel.
    for (int i = 3; i >= 1; --i) {
        const double grow = i * 1.5;
        Rect s{frame.x - grow, frame.y - grow + 1.5, frame.w + 2 * grow, frame.h + 2 * grow};
        shape(cr, s, r + grow);
        draw::setColor(cr, Color{0, 0, 0, 0.035});
        cairo_fill(cr);
    }
    // The body: a light, mostly opaque tint of the paper.
    shape(cr, frame, r);
    draw::setColor(cr, pressed ? Color{0.93, 0.92, 0.9, 0.9} : Color{0.99, 0.985, 0.975, 0.86});
    cairo_fill_preserve(cr);
    // The sheen across its top half.
    cairo_pattern_t* sheen = cairo_pattern_create_linear(0, frame.y, 0, frame.y + frame.h);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.55);
    cairo_pattern_add_color_stop_rgba(sheen, 0.5, 1, 1, 1, 0);
    cairo_set_source(cr, sheen);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);
    // The rim: bright inside, a hairline of shade outside.
    shape(cr, {frame.x + 0.5, frame.y + 0.5, frame.w - 1, frame.h - 1}, std::max(r - 0.5, 0.0));
    draw::setColor(cr, Color{1, 1, 1, 0.9});
    draw::setLineWidth(cr, 1);
    cairo_stroke(cr);
    shape(cr, {frame.x - 0.25, frame.y - 0.25, frame.w + 0.5, frame.h + 0.5}, r + 0.25);
    draw::setColor(cr, Color{0, 0, 0, 0.1});
    draw::setLineWidth(cr, 0.5);
    cairo_stroke(cr);
}

void closeButton(cairo_t* cr, const Rect& frame, bool pressed) {
    panel(cr, frame, std::min(frame.w, frame.h) / 2, pressed);
    // The cross of an 11-point bold symbol.
    symbols::draw(cr, symbols::Symbol::xmark, {frame.midX(), frame.midY()}, 11, 0.8, Color{0.04, 0.04, 0.05, 0.85});
}

}  // namespace nolby::glass
