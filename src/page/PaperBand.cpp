// The opening page's cover band: the cover (or the palette's gradient), a darkening
// gradient for the white masthead, printed grain and a rule along the bottom.
#include "page/PaperView.h"

#include "ink/Mag.h"
#include "ink/mag/Grain.h"
#include "platform/Canvas.h"
#include "platform/Oklab.h"

#include <algorithm>

namespace nolby {

namespace {

void verticalGradient(cairo_t* cr, const Rect& r, Color topColor, Color bottomColor, double alpha) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, r.y, 0, r.y + r.h);
    cairo_pattern_add_color_stop_rgba(g, 0, topColor.r, topColor.g, topColor.b, topColor.a);
    cairo_pattern_add_color_stop_rgba(g, 1, bottomColor.r, bottomColor.g, bottomColor.b, bottomColor.a);
    draw::Saved saved(cr);
    cairo_set_source(cr, g);
    cairo_pattern_destroy(g);
    draw::clipRect(cr, r);
    cairo_paint_with_alpha(cr, alpha);
}

// The cover filling the band (aspect fill, aligned to the top), clipped on whole pixels.
void drawCover(cairo_t* cr, const Image& cover, const Rect& band) {
    const double iw = cover.width(), ih = cover.height();
    const double k = std::max(band.w / iw, band.h / ih);
    if (!std::isfinite(k) || k <= 0) return;
    draw::Saved saved(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    draw::clipRect(cr, band);
    if (!draw::translate(cr, band.x + (band.w - iw * k) / 2, band.y) || !draw::scale(cr, k, k)) return;
    cairo_set_source_surface(cr, cover.surface(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
}

}  // namespace

void PaperView::drawBand(cairo_t* cr, double W, const CoverBand::Look& look) const {
    const double B = bandHeight();
    const Rect band{0, 0, W, B};
    const Mag::Inks inks = Mag::inks(notebook.color);
    const Color a = Color::hex(inks.a), b = Color::hex(inks.b);
    const Color bottom = oklab::mix(b, a, 0.5);

    CoverBand::draw(
        cr, band, look, [&](cairo_t* c, const Image& cover) { drawCover(c, cover, band); },
        [&](cairo_t* c, double alpha) { verticalGradient(c, band, a, bottom, alpha); });
    verticalGradient(cr, band, Color{0, 0, 0, 0.42}, Color{0, 0, 0, 0.12}, 1);
    Grain{0.2}.draw(cr, band);
    draw::Saved saved(cr);
    cairo_rectangle(cr, 0, B - 1.5, W, 1.5);
    draw::setColor(cr, Mag::black);
    cairo_fill(cr);
}

}  // namespace nolby
