#include "ink/ops/TextOp.h"

#include "platform/Canvas.h"

namespace nolby {

TextOp::TextOp(std::string t, double x, double y, const Font& font, Color color, double rotate,
               std::optional<Color> halo, double kern)
    : text(std::move(t)), x(x), y(y), size(font.size()), color(color), rotate(rotate), halo(halo),
      glyphs(text, font, kern) {}

TextOp::TextOp(const TextOp& from, Color color)
    : InkOp(), text(from.text), x(from.x), y(from.y), size(from.size), color(color), rotate(from.rotate),
      halo(from.halo), glyphs(from.glyphs) {
    pause = from.pause;
}

void fillGlyphs(cairo_t* cr, const Path& glyphs, Color color, const std::optional<Color>& halo, double size) {
    if (halo) {
        cairo_new_path(cr);
        draw::appendPath(cr, glyphs);
        draw::setColor(cr, *halo);
        draw::setLineWidth(cr, 0.26 * size);
        draw::setJoin(cr, LineJoin::round);
        cairo_stroke(cr);
    }
    draw::fillPath(cr, glyphs, color);
}

void TextOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    draw::Saved saved(cr);
    if (!draw::translate(cr, x, y)) return;
    if (t < 1) draw::clipRect(cr, {-0.2 * size, -1.3 * size, 0.2 * size + t * glyphs.width, 1.9 * size});
    fillGlyphs(cr, glyphs.path, color, halo, size);
}

}  // namespace nolby
