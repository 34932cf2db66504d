#include "ink/Ink.h"
#include "ink/ops/MonoOp.h"
#include "platform/Canvas.h"
#include "platform/Unicode.h"

namespace nolby {

MonoOp::MonoOp(std::string t, double x, double y, const Font& font, double adv, const std::vector<Color>& colors)
    : text(std::move(t)), x(x), y(y), adv(adv), size(font.size()) {
    const double limit = 0.98 * adv;
    size_t k = 0;
    for (const std::string& ch : unicode::graphemes(text)) {
        Cell cell;
        cell.glyphs = GlyphRun(ch, font, 0);
        cell.color = colors.empty() ? Ink::ink : colors[std::min(k, colors.size() - 1)];
        cell.squeeze = cell.glyphs.width > limit ? limit / cell.glyphs.width : 1;
        cells_.push_back(std::move(cell));
        ++k;
    }
}

Rect MonoOp::bounds() const {
    double n = static_cast<double>(cells_.size());
    return {x - 0.2 * size, y - 1.1 * size, adv * n + 0.4 * size, 1.55 * size};
}

void MonoOp::tint(Color color) {
    for (Cell& c : cells_) c.color = color;
}

void MonoOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    draw::Saved saved(cr);
    double n = static_cast<double>(cells_.size());
    if (t < 1) draw::clipRect(cr, {x - 0.2 * size, y - 1.3 * size, 0.2 * size + t * adv * n, 1.9 * size});
    for (size_t i = 0; i < cells_.size(); ++i) {
        const Cell& cell = cells_[i];
        // An empty glyph still takes its cell, so later cells keep their places.
        if (cell.glyphs.width == 0) continue;
        draw::Saved cellSaved(cr);
        if (!draw::translate(cr, x + adv * static_cast<double>(i) + adv / 2, y)) continue;
        if (!draw::scale(cr, cell.squeeze, 1)) continue;
        if (!draw::translate(cr, -cell.glyphs.width / 2, 0)) continue;
        draw::fillPath(cr, cell.glyphs.path, cell.color);
    }
}

}  // namespace nolby
