#include "ink/ops/WetOp.h"

#include "platform/Canvas.h"

#include <algorithm>

namespace nolby {

void WetOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    Rect wash = rect.insetBy(6, 2);
    if (wash.isNull()) return;
    Path p;
    p.addRoundedRect(wash, 18, 18);
    draw::fillPath(cr, p, Color::hex(0xb9cbe0, 0.1 * std::min(t, 1.0)));
}

}  // namespace nolby
