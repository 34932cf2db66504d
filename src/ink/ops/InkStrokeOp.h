#pragma once
// The learner's stored pen stroke, filled as a variable-width outline in the pen's colour;
// a highlighter stroke in its marker colour, translucent, multiplied onto the page.

#include "ink/ops/InkOp.h"
#include "model/StrokeItem.h"
#include "platform/Path.h"

namespace nolby {

class InkStrokeOp : public InkOp {
public:
    // The outline of the item drawn in `color`; a "marker" stroke takes its own marker colour.
    InkStrokeOp(const StrokeItem& item, Color color);

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
