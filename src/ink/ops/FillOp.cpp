#include "ink/ops/FillOp.h"

#include "platform/Canvas.h"

namespace nolby {

FillOp::FillOp(Path p, Color c, BlendMode b, bool eo)
    : path(std::move(p)), color(c), blend(b), evenOdd(eo), bounds_(path.boundingBox()) {}

void FillOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    draw::Saved saved(cr);
    draw::setBlend(cr, blend);
    draw::setColor(cr, color);
    cairo_new_path(cr);
    draw::appendPath(cr, path);
    cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
}

}  // namespace nolby
