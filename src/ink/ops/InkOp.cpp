#include "ink/ops/InkOp.h"

#include "ink/ops/WrapOp.h"
#include "platform/Canvas.h"

#include <cmath>

namespace nolby {

InkOpRef InkOp::offset(double dx, double dy) const {
    auto shifted = std::make_shared<ShiftOp>(ref(), dx, dy);
    shifted->pause = pause;
    return shifted;
}

InkOp::Placement InkOp::placement() const {
    Affine transform = Affine::identity();
    InkOpRef op = ref();
    while (auto wrap = dynamic_cast<const WrapOp*>(op.get())) {
        Affine contribution = Affine::identity();
        if (auto shift = dynamic_cast<const ShiftOp*>(wrap)) {
            contribution = Affine::translation(shift->dx, shift->dy);
        } else if (auto rot = dynamic_cast<const RotOp*>(wrap)) {
            contribution = Affine::translation(-rot->px, -rot->py)
                               .concat(Affine::rotation(rot->deg * M_PI / 180))
                               .concat(Affine::translation(rot->px, rot->py));
        }
        // Walking inward: this wrapper's transform applies to points before those of
        // the wrappers around it.
        transform = contribution.concat(transform);
        op = wrap->inner;
    }
    return {op, transform};
}

void ShiftOp::draw(cairo_t* cr, double t) const {
    draw::Saved saved(cr);
    if (draw::translate(cr, dx, dy)) inner->draw(cr, t);
}

InkOpRef ShiftOp::offset(double ddx, double ddy) const {
    auto shifted = std::make_shared<ShiftOp>(inner, dx + ddx, dy + ddy);
    shifted->pause = pause;
    return shifted;
}

void RotOp::draw(cairo_t* cr, double t) const {
    draw::Saved saved(cr);
    Affine turn = Affine::translation(-px, -py)
                      .concat(Affine::rotation(deg * M_PI / 180))
                      .concat(Affine::translation(px, py));
    if (draw::transform(cr, turn)) inner->draw(cr, t);
}

Rect RotOp::bounds() const {
    Rect b = inner->bounds();
    if (b.isNull()) return b;
    Rect s = b.standardized();
    return {s.x - 0.1 * s.h, s.y - 0.05 * s.w, s.w + 0.2 * s.h, s.h + 0.1 * s.w};
}

}  // namespace nolby
