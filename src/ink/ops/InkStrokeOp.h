#pragma once
// The learner's stored pen stroke, filled as a variable-width outline in the pen's colour;
// a highlighter stroke in its marker colour, translucent, multiplied onto the page.

#include "ink/PenStroke.h"
#include "ink/ops/InkOp.h"
#include "platform/Path.h"

namespace nolby {

class InkStrokeOp : public InkOp {
public:
    // The outline of the stroke drawn in `color`; a "marker" stroke takes its own marker
    // colour. A notebook's StrokeItem converts to the PenStroke it reads.
    InkStrokeOp(const PenStroke& stroke, Color color);

    const Path path;  // the filled outline
    const Color color;
    const BlendMode blend;

    double cost() const override { return 20; }
    // An outline has no partial reveal: any t > 0 fills all of it.
    void draw(cairo_t* cr, double t) const override;
    Rect bounds() const override { return bounds_; }
    const char* className() const override { return "InkStrokeOp"; }

private:
    Rect bounds_;
};

}  // namespace nolby
