#pragma once
// The placeholder of a painting still being made: a faint blue wash that fades in.

#include "ink/ops/InkOp.h"

#include <cstdint>

namespace nolby {

class WetOp : public InkOp {
public:
    WetOp(Rect rect, uint64_t seed) : rect(rect), seed(seed) {}

    const Rect rect;
    const uint64_t seed;  // for the page stage's drops; the wash itself does not use it

    double cost() const override { return 50; }
    void draw(cairo_t* cr, double t) const override;
    Rect bounds() const override { return rect; }
    const char* className() const override { return "WetOp"; }
};

}  // namespace nolby
