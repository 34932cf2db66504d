#pragma once
// A filled path. Fills have no partial reveal: any t > 0 draws the whole fill.

#include "ink/ops/InkOp.h"
#include "platform/Path.h"

namespace nolby {

class FillOp : public InkOp {
public:
    FillOp(Path path, Color color, BlendMode blend = BlendMode::normal, bool evenOdd = false);

    const Path path;
    const Color color;
    const BlendMode blend;
    const bool evenOdd;

    double cost() const override { return 40; }
    void draw(cairo_t* cr, double t) const override;
    Rect bounds() const override { return bounds_; }
    const char* className() const override { return "FillOp"; }

private:
    Rect bounds_;
};

}  // namespace nolby
