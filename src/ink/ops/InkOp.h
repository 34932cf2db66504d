#pragma once
// The unit of ink. Every layout returns drawing operations, never pixels; the writer
// times them by cost, pace and pause, the page stage reveals them with a growing
// fraction t, renderers draw them whole, and the ink cache moves and measures them.
//
// Operations are immutable once built and always held by shared pointer, so any thread
// may draw them at once. Coordinates are page points, y down; baselines sit at the given y.

#include "platform/Blend.h"
#include "platform/Color.h"
#include "platform/Geometry.h"

#include <cairo.h>

#include <memory>
#include <optional>
#include <vector>

namespace nolby {

class InkOp;
using InkOpRef = std::shared_ptr<const InkOp>;

// Stroke appearance. The usual pen is round cap, round join, normal blend, solid.
struct Pen {
    Color color;
    double width = 1;
    LineCap cap = LineCap::round;
    LineJoin join = LineJoin::round;
    BlendMode blend = BlendMode::normal;
    std::optional<std::vector<double>> dash;  // none: a solid line

    // The usual pen: round cap and join, normal blend, solid.
    static Pen usual(Color color, double width) {
        Pen p;
        p.color = color;
        p.width = width;
        return p;
    }

    bool operator==(const Pen&) const = default;
};

class InkOp : public std::enable_shared_from_this<InkOp> {
public:
    virtual ~InkOp() = default;

    // Seconds the writer waits before this operation starts. Scheduling, not ink: the
    // layout that makes an operation sets it before the operation is shared, which is
    // why it may change on an otherwise immutable operation.
    mutable double pause = 0;

    // Writing work of the operation.
    virtual double cost() const { return 0; }
    // Speed factor of the operation.
    virtual double pace() const { return 1; }
    // Draws the operation revealed to fraction t: nothing unless t > 0, whole at t >= 1.
    // Leaves the context's state as it found it.
    virtual void draw(cairo_t* cr, double t) const {}
    // The page area the operation covers; null when it covers none.
    virtual Rect bounds() const { return Rect::null(); }
    // Maps linear progress to reveal progress.
    virtual double ease(double x) const { return x; }
    // The operation moved by (dx, dy): a shift wrapper carrying this operation's pause.
    virtual InkOpRef offset(double dx, double dy) const;

    // The class name ("StrokeOp"), for tools that list operations.
    virtual const char* className() const { return "InkOp"; }

    // The innermost non-wrapper operation and the transform the wrappers around it apply
    // (inner wrappers first, the outermost last).
    struct Placement {
        InkOpRef base;
        Affine transform;
    };
    Placement placement() const;

    InkOpRef ref() const { return shared_from_this(); }

protected:
    InkOp() = default;
};

// Smoothstep: x·x·(3 − 2x).
inline double smoothstep(double x) { return x * x * (3 - 2 * x); }

}  // namespace nolby
