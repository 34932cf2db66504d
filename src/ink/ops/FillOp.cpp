#include "ink/ops/FillOp.h"

#include "platform/Canvas.h"

namespace nolby {

FillOp::FillOp(Path p, Color c, BlendMode b, bool eo)
    : path(std::move(p)), color(c), blend(b), evenOdd(eo), bounds_(path.boundingBox()) {}

void FillOp::draw(cairo_t* cr, double t) const {
    if (!(t > 0)) return;
    draw::fillPath(cr, path, color, cairoOperator(blend), evenOdd);
}

}  // namespace nolby
