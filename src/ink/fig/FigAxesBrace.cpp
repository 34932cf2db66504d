// Braces: a curly brace between two points with a handwritten label beyond its tip. It
// bulges down under a roughly horizontal span and right of a roughly vertical one, whatever
// the order of its two points.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"
#include "platform/TextLine.h"
#include "platform/Unicode.h"

#include <algorithm>
#include <cmath>

namespace nolby {

void Fig::brace(const J& o, Color color, double w) {
    const Point P1 = at(o.num("x1", 0), o.num("y1", 0)), P2 = at(o.num("x2", 0), o.num("y2", 0));
    const Point D = P2 - P1;
    const double L = std::sqrt(D.x * D.x + D.y * D.y);
    if (!(L >= 10 * u)) return;

    Point N{-D.y / L, D.x / L};
    if (N.y < 0 || (std::fabs(N.y) < 0.1 && N.x < 0)) N = Point{-N.x, -N.y};
    const double d = std::min(0.12 * L, 22 * u);
    const Point mid = P1 + 0.5 * D;
    const Point tip = mid + d * N;
    // A point a fraction t along the span, lifted by `lift` times the depth.
    auto along = [&](double t, double lift) { return P1 + t * D + (lift * d) * N; };

    Path path;
    rough.curve(path, {P1, along(0.04, 0.5), along(0.25, 0.5), along(0.46, 0.55), tip}, 1, 0.3);
    rough.curve(path, {tip, along(0.54, 0.55), along(0.75, 0.5), along(0.96, 0.5), P2}, 1, 0.3);
    ops.push_back(std::make_shared<StrokeOp>(path, pen(color, 0.9 * w), 1, 1));

    const std::string label = o.str("text", "");
    if (blank(label)) return;
    const Point A = mid + (8 * u + d) * N;
    const double s = 0.92 * textSize;
    const double tw = textWidth(unmarked(label), *Faces::font(Faces::Face::hand, s));
    // A sideways brace has its label to the right of the anchor, level with it; any other
    // is labelled centred under (or over) its tip.
    const bool side = std::fabs(N.x) > 0.7;
    const double x = side ? A.x + 4 * u : A.x - tw / 2;
    const double top = side ? A.y - 0.75 * s : A.y - 0.15 * s;
    const double left = std::min(std::max(ox, ox + 100 * k - tw), std::max(ox, x));
    const Hand::Result r = hand.write(label, left, top, tw + s, s, color, Faces::Face::hand, std::nullopt,
                                      Hand::Align::left, true, halo, 0, 0, 1);
    ops.insert(ops.end(), r.ops.begin(), r.ops.end());
}

}  // namespace nolby
