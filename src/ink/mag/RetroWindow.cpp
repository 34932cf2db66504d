#include "ink/mag/RetroWindow.h"

#include "ink/Mag.h"
#include "ink/mag/ChromeText.h"
#include "ink/mag/Symbols.h"
#include "platform/Blur.h"
#include "platform/Canvas.h"

#include <cmath>

namespace nolby {

namespace {

const Color kGrey = Color::rgba8(198, 198, 198);
const Color kEdge = Color::rgba8(90, 90, 90);

void fillRect(cairo_t* cr, const Rect& r, Color c) {
    Path p;
    p.addRect(r);
    draw::fillPath(cr, p, c);
}

}  // namespace

Rect RetroWindow::contentFrame(const Rect& frame) const {
    const double s = scale;
    const Rect inner = frame.insetBy(2 * s, 2 * s);
    return Rect{inner.x, inner.y + kBar * s, inner.w, inner.h - kBar * s}.insetBy(2 * s, 2 * s);
}

void RetroWindow::draw(cairo_t* cr, const Rect& frame, const std::function<void(cairo_t*, const Rect&)>& content) const {
    const double s = scale;
    if (!(s > 0) || !std::isfinite(s) || !(frame.w > 0) || !(frame.h > 0) ||
        !std::isfinite(frame.x + frame.y + frame.w + frame.h))
        return;
    draw::Saved saved(cr);
    drawShadow(cr, frame, Color{0, 0, 0, 0.28}, 3 * s, 2 * s, 5 * s,
               [&](cairo_t* c) { fillRect(c, frame, Color{0, 0, 0, 1}); });
    fillRect(cr, frame, kGrey);

    // The title bar: a blue gradient, the title, and the three buttons at its right end.
    const Rect inner = frame.insetBy(2 * s, 2 * s);
    const Rect bar{inner.x, inner.y, inner.w, std::min(kBar * s, inner.h)};
    if (bar.w > 0 && bar.h > 0) {
        draw::Saved b(cr);
        cairo_pattern_t* blue = cairo_pattern_create_linear(bar.x, 0, bar.x + bar.w, 0);
        cairo_pattern_add_color_stop_rgb(blue, 0, 10 / 255.0, 31 / 255.0, 143 / 255.0);
        cairo_pattern_add_color_stop_rgb(blue, 1, 46 / 255.0, 123 / 255.0, 216 / 255.0);
        cairo_rectangle(cr, bar.x, bar.y, bar.w, bar.h);
        cairo_set_source(cr, blue);
        cairo_fill(cr);
        cairo_pattern_destroy(blue);

        const double midY = bar.y + bar.h / 2;
        double x = bar.x + bar.w - 3 * s - kButtonW * s;
        const symbols::Symbol order[] = {symbols::Symbol::xmark, symbols::Symbol::square, symbols::Symbol::minus};
        for (symbols::Symbol symbol : order) {
            const Rect button{x, midY - kButtonH * s / 2, kButtonW * s, kButtonH * s};
            fillRect(cr, button, kGrey);
            cairo_new_path(cr);
            cairo_rectangle(cr, button.x, button.y, button.w, button.h);
            draw::setColor(cr, Color{1, 1, 1, 1});
            draw::setLineWidth(cr, 0.8 * s);
            cairo_stroke(cr);
            symbols::draw(cr, symbol, {button.x + button.w / 2, midY}, kSymbol * s, 1, Color{0, 0, 0, 1});
            x -= 3 * s + kButtonW * s;
        }
        const double room = x + kButtonW * s - (bar.x + 3 * s);  // up to the last button, less a gap
        const chrome::Line title =
            chrome::line(this->title, *Mag::systemFont(Mag::kFuturaBoldStandIn, kTitle * s), 0, room);
        chrome::fill(cr, title, bar.x + 3 * s, title.baselineCentredOn(midY), Color{1, 1, 1, 1});
    }

    const Rect area = contentFrame(frame);
    if (area.w > 0 && area.h > 0) {
        fillRect(cr, area, Color{1, 1, 1, 1});
        if (content) {
            draw::Saved c(cr);
            draw::clipRect(cr, area);
            content(cr, area);
        }
    }
    // The border, inside the frame's edge.
    cairo_new_path(cr);
    cairo_rectangle(cr, frame.x + 0.4 * s, frame.y + 0.4 * s, frame.w - 0.8 * s, frame.h - 0.8 * s);
    draw::setColor(cr, kEdge);
    draw::setLineWidth(cr, 0.8 * s);
    cairo_stroke(cr);
}

}  // namespace nolby
