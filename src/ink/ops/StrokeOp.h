#pragma once
// A stroked path. A partial reveal walks the path's flattened polylines in order, so a
// sketchy line of several strokes is written stroke after stroke, each from its start.

#include "ink/PathHelpers.h"
#include "ink/ops/InkOp.h"
#include "platform/Path.h"

namespace nolby {

class StrokeOp : public InkOp {
public:
    StrokeOp(Path path, Pen pen, int passes = 1, double pace = 1);

    const Path path;
    const Pen pen;

    double cost() const override { return total_ / std::max(passes_, 1); }
    double pace() const override { return paceValue_; }
    void draw(cairo_t* cr, double t) const override;
    // The curves' true extent, outset by the pen width on every side.
    Rect bounds() const override;
    double ease(double x) const override;
    const char* className() const override { return "StrokeOp"; }

    const std::vector<Polyline>& lines() const { return lines_; }
    int passes() const { return passes_; }
    double total() const { return total_; }

private:
    int passes_;
    double paceValue_;
    std::vector<Polyline> lines_;
    std::vector<double> lens_;
    double total_ = 0;
    Rect bounds_;
};

// Appends a stroke of the path to the operations, with the pause before it.
void appendStroke(std::vector<InkOpRef>& ops, Path path, const Pen& pen, int passes, double pace, double pause = 0);

}  // namespace nolby
