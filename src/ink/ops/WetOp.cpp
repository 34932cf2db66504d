#include "ink/ops/WetOp.h"

#include "platform/Canvas.h"

#include <algorithm>

namespace nolby {

void WetOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    Rect wash = rect.insetBy(6, 2);
    if (wash.isNull()) return;
    draw::Saved saved(cr);
    Path p;
    p.addRoundedRect(wash, 18, 18);
    cairo_new_path(cr);
    draw::appendPath(cr, p);
    draw::setColor(cr, Color::hex(0xb9cbe0, 0.1 * std::min(t, 1.0)));
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
}

}  // namespace nolby
