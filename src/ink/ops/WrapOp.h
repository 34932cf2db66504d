#pragma once
// Operations that wrap another to change its pace, position or rotation. Drawing, cost,
// pace, ease and bounds go to the inner operation unless a wrapper says otherwise.

#include "ink/ops/InkOp.h"

namespace nolby {

class WrapOp : public InkOp {
public:
    explicit WrapOp(InkOpRef inner) : inner(std::move(inner)) {}
    const InkOpRef inner;

    double cost() const override { return inner->cost(); }
    double pace() const override { return inner->pace(); }
    void draw(cairo_t* cr, double t) const override { inner->draw(cr, t); }
    Rect bounds() const override { return inner->bounds(); }
    double ease(double x) const override { return inner->ease(x); }
    const char* className() const override { return "WrapOp"; }
};

// Writes its inner operation twelve times faster than its cost alone would.
class PacedOp : public WrapOp {
public:
    PacedOp(InkOpRef inner, double p) : WrapOp(std::move(inner)), p_(p) {}
    // Always 12: every paced operation in the system is built with p = 12.
    double pace() const override { return 12; }
    const char* className() const override { return "PacedOp"; }

private:
    double p_;
};

class ShiftOp : public WrapOp {
public:
    ShiftOp(InkOpRef inner, double dx, double dy) : WrapOp(std::move(inner)), dx(dx), dy(dy) {}
    const double dx, dy;

    void draw(cairo_t* cr, double t) const override;
    Rect bounds() const override { return inner->bounds().offsetBy(dx, dy); }
    // Shifting a shift adds the offsets instead of nesting wrappers.
    InkOpRef offset(double ddx, double ddy) const override;
    const char* className() const override { return "ShiftOp"; }
};

// Turns its inner operation by deg degrees about (px, py); positive turns clockwise on the page.
class RotOp : public WrapOp {
public:
    RotOp(InkOpRef inner, double deg, double px, double py) : WrapOp(std::move(inner)), deg(deg), px(px), py(py) {}
    const double deg, px, py;

    void draw(cairo_t* cr, double t) const override;
    // A cheap allowance for the turn: the inner bounds grown by a tenth of their height
    // on each side and a twentieth of their width above and below.
    Rect bounds() const override;
    const char* className() const override { return "RotOp"; }
};

}  // namespace nolby
