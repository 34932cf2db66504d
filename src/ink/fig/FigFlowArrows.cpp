// The arrows of a flow chart and their labels. In a row or column an arrow bows slightly
// between facing box edges; round a cycle it follows the ring between the boxes when there
// is enough of the ring to follow, else it cuts straight across.
#include "ink/PathHelpers.h"
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <optional>

namespace nolby {

namespace {

Point centre(const Rect& r) { return {r.midX(), r.midY()}; }

// How far along d from a box's centre the edge of the box, grown by (hw, hh) half sizes,
// lies; a zero component sets no bound.
double reach(Point d, double hw, double hh) {
    double t = std::numeric_limits<double>::infinity();
    if (d.x != 0) t = std::min(t, hw / std::fabs(d.x));
    if (d.y != 0) t = std::min(t, hh / std::fabs(d.y));
    return t;
}

}  // namespace

std::vector<Point> Fig::flowArc(const FlowChart& c, size_t i, size_t j) const {
    const Rect gi = c.boxes[i].insetBy(-6 * u, -6 * u), gj = c.boxes[j].insetBy(-8 * u, -8 * u);
    const double a0 = c.angle(i), sweep = 2 * std::numbers::pi / static_cast<double>(c.n());
    // The longest stretch of the ring outside both boxes; the earliest of equal stretches.
    std::vector<Point> best, run;
    for (int m = 0; m <= 60; ++m) {
        const double a = a0 + sweep * m / 60;
        const Point p{c.Z.x + c.Rx * std::cos(a), c.Z.y + c.Ry * std::sin(a)};
        if (gi.contains(p) || gj.contains(p)) {
            if (run.size() > best.size()) best = run;
            run.clear();
        } else {
            run.push_back(p);
        }
    }
    if (run.size() > best.size()) best = run;
    if (best.size() >= 3 && polyLength(best) >= 12 * u) return best;
    return {};
}

Point Fig::cycleLabelSpot(const FlowChart& c, Point A, Point D, double tw, double s) const {
    // Step outward from the arrow until the label clears every box, giving up at 40 u.
    for (int m = 0;; ++m) {
        const double dist = (4 + 3 * m) * u;
        const double cx = A.x + D.x * (tw / 2 + dist), cy = A.y + D.y * (s / 2 + dist);
        const Rect box{cx - tw / 2, cy - 1.1 * s / 2, tw, 1.1 * s};
        bool meets = false;
        for (const Rect& b : c.boxes)
            if (b.insetBy(-2 * u, -2 * u).intersects(box)) meets = true;
        // m bounds the search even when the text unit is no usable number.
        if (!meets || dist >= 40 * u || m >= 12) return {box.x, box.y - 0.17 * s};
    }
}

void Fig::flowArrow(const FlowChart& c, size_t i) {
    const size_t j = (i + 1) % c.n();
    const Rect &bi = c.boxes[i], &bj = c.boxes[j];
    Point S, E;
    if (c.cycle) {
        // From just outside one box towards the other's centre, to just outside that one.
        const Point ci = centre(bi), cj = centre(bj), d = cj - ci;
        S = ci;
        E = cj;
        if (d.x != 0 || d.y != 0) {
            S = ci + d * reach(d, bi.width() / 2 + 6 * u, bi.height() / 2 + 6 * u);
            E = cj - d * reach(d, bj.width() / 2 + 8 * u, bj.height() / 2 + 8 * u);
        }
    } else if (c.column) {
        S = {bi.midX(), bi.maxY() + 3 * u};
        E = {bj.midX(), bj.minY() - 4 * u};
    } else {
        S = {bi.maxX() + 3 * u, bi.midY()};
        E = {bj.minX() - 4 * u, bj.midY()};
    }
    const Point M{(S.x + E.x) / 2, (S.y + E.y) / 2};

    const std::vector<Point> arc = c.cycle ? flowArc(c, i, j) : std::vector<Point>{};
    Path line;
    Point tip = E, dir = E - M;
    if (!arc.empty()) {
        rough.curve(line, Rough::thin(arc, 6 * u), 1, 0.3);
        // The head follows the arc's course over its own length, not its last step.
        tip = arc.back();
        Point from = arc.front();
        for (size_t m = arc.size() - 1; m-- > 0;)
            if (distance(arc[m], tip) > 1.2 * 13 * u) {
                from = arc[m];
                break;
            }
        dir = tip - from;
    } else {
        rough.curve(line, {S, M, E}, 1, 0.3);
    }
    Path head;
    rough.arrowhead(head, tip.x, tip.y, dir.x, dir.y, 13 * u);
    const Pen arrowPen = pen(c.arrowColor, 2.3 * pw);
    ops.push_back(std::make_shared<StrokeOp>(line, arrowPen, 1, 1));
    ops.push_back(std::make_shared<StrokeOp>(head, arrowPen, 2, 1));

    if (i >= c.labels.size() || blank(c.labels[i])) return;
    const std::string& label = c.labels[i];
    const double s = 0.72 * textSize;
    const double tw = labelWidth(label, s);
    Point at{M.x - tw / 2, M.y - 1.35 * s};  // a row: centred above the arrow
    if (c.column) {
        at = {M.x + 10 * u, M.y - 0.7 * s};  // beside the arrow, to its right
    } else if (c.cycle) {
        // Outside the ring, away from its centre.
        Point A = arc.empty() ? M : arc[arc.size() / 2];
        Point D = A - c.Z;
        const double len = std::hypot(D.x, D.y);
        if (len >= 1) D = {D.x / len, D.y / len};
        if (arc.empty()) A = A + D * std::min(0.22 * distance(S, E), 18 * u);
        at = cycleLabelSpot(c, A, D, tw, s);
    }
    const Hand::Result r = hand.write(label, at.x, at.y, tw + s, s, Ink::grey, Faces::Face::hand, std::nullopt,
                                      Hand::Align::left, true, halo, 0, 0, 1);
    ops.insert(ops.end(), r.ops.begin(), r.ops.end());
}

}  // namespace nolby
