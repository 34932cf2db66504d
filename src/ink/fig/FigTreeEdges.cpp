// The edges of a tree: straight lines from parent to child, or elbow connectors (a trunk
// under the parent, a bus across the children, a drop to each child), with their arrowheads
// and edge labels. Strokes are gathered into two paths; labels are written by the figure's
// hand into a list that follows the strokes.
#include "ink/fig/Fig.h"
#include "platform/TextLine.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace nolby {

namespace {

Hand::Result writeLabel(Hand& hand, const std::string& text, double x, double top, double width, double size,
                        Hand::Align align, Color halo) {
    return hand.write(text, x, top, width, size, Ink::grey, Faces::Face::hand, std::nullopt, align, true, halo, 0, 0,
                      1);
}

double square(double v) { return v * v; }

}  // namespace

double Fig::labelWidth(const std::string& text, double size) {
    return textWidth(unmarked(text), *Faces::font(Faces::Face::hand, size));
}

void Fig::straightEdges(const std::vector<NodeRef>& list, const TreeFrame& f, TreeEdges& e) {
    const double s = 0.78 * textSize;
    for (const NodeRef& parent : list) {
        for (const NodeRef& kid : parent->kids) {
            const double px = parent->x, py = parent->y, cx = kid->x, cy = kid->y;
            Point start{px, py + f.NH / 2 + 2 * u}, end{cx, cy - f.NH / 2 - 3 * u};
            if (f.circle) {
                // Leave and enter on ellipses 2 u and 3 u outside the circles.
                const double dx = cx - px, dy = cy - py;
                const double q = std::sqrt(square(dx / (f.CWd / 2 + 2 * u)) + square(dy / (f.NH / 2 + 2 * u)));
                start = q > 0 ? Point{px + dx / q, py + dy / q} : Point{px, py};
                const double q2 = std::sqrt(square(dx / (f.CWd / 2 + 3 * u)) + square(dy / (f.NH / 2 + 3 * u)));
                end = q2 > 0 ? Point{cx - dx / q2, cy - dy / q2} : Point{cx, cy};
            }
            rough.lineOnce(e.lines, start.x, start.y, end.x, end.y, false);
            if (f.arrows) rough.arrowhead(e.heads, end.x, end.y, end.x - start.x, end.y - start.y, 12 * u);

            const std::string label = kid->o.str("edge", "");
            if (blank(label)) continue;
            // Beside the edge's middle, on the side it leans to, and inside the figure.
            const double tw = labelWidth(label, s);
            const double mid = (start.x + end.x) / 2;
            const double lx = end.x > start.x ? mid + 20 * u : end.x == start.x ? mid + 10 * u : mid - tw - 20 * u;
            const double x = std::min(std::max(lx, ox), std::max(ox + 100 * k - tw, ox));
            const double top = (start.y + end.y) / 2 - 1.15 * s;
            const Hand::Result r = writeLabel(hand, label, x, top, tw + s, s, Hand::Align::left, halo);
            e.labels.insert(e.labels.end(), r.ops.begin(), r.ops.end());
        }
    }
}

namespace {

// An elbow drop's label, measured before the bus is placed.
struct DropLabel {
    std::string text;
    bool on = false;
    double size = 0, th = 0, L = 0;
};

}  // namespace

void Fig::elbowEdges(const std::vector<NodeRef>& list, const TreeFrame& f, TreeEdges& e) {
    for (const NodeRef& parent : list) {
        const std::vector<NodeRef>& kids = parent->kids;
        if (kids.empty()) continue;
        const double px = parent->x, py = parent->y;
        const double y0 = py + f.NH / 2 + 2 * u;                 // under the parent
        const double y1 = kids.front()->y - f.NH / 2 - 3 * u;  // over the children
        const double gap = y1 - y0;

        // Labels first: the bus sits higher to leave them room. Neighbouring labels share
        // the columns between them; a lone one may spread over almost two.
        std::vector<DropLabel> labels(kids.size());
        for (size_t i = 0; i < kids.size(); ++i) {
            labels[i].text = kids[i]->o.str("edge", "");
            labels[i].on = !blank(labels[i].text);
        }
        std::optional<double> tallest;
        for (size_t i = 0; i < kids.size(); ++i) {
            DropLabel& l = labels[i];
            if (!l.on) continue;
            const bool crowded = (i > 0 && labels[i - 1].on) || (i + 1 < kids.size() && labels[i + 1].on);
            l.L = (crowded ? 0.92 : 1.8) * f.CW;
            l.size = 0.8 * textSize;
            Hand::Result m = measure(l.text, l.L, l.size, Faces::Face::hand);
            auto fits = [&] { return m.lines.size() <= 2 && m.height <= gap - 16 * u && m.width <= l.L; };
            for (int tries = 0; !fits() && l.size > 0.55 * textSize && tries < kMaxFitTries; ++tries) {
                l.size = l.size * 0.9;
                m = measure(l.text, l.L, l.size, Faces::Face::hand);
            }
            l.th = m.height;
            tallest = tallest ? std::max(*tallest, l.th) : l.th;
        }
        const double ym =
            !tallest || *tallest <= 0 ? y0 + 0.45 * gap : y0 + std::max(6 * u, (gap - *tallest - 10 * u) / 2);

        rough.lineOnce(e.lines, px, y0, px, ym, false);  // trunk
        double lo = px, hi = px;
        for (const NodeRef& kid : kids) {
            lo = std::min(lo, kid->x);
            hi = std::max(hi, kid->x);
        }
        if (hi - lo > 1) rough.lineOnce(e.lines, lo, ym, hi, ym, false);  // bus

        for (size_t i = 0; i < kids.size(); ++i) {
            const double x = kids[i]->x;
            const DropLabel& l = labels[i];
            if (!l.on) {
                rough.lineOnce(e.lines, x, ym, x, y1, false);
            } else {
                // The drop breaks around its label, centred between bus and child.
                const double mid = (ym + y1) / 2, t = mid - l.th / 2;
                if (t - 3 * u > ym + 2 * u) rough.lineOnce(e.lines, x, ym, x, t - 3 * u, false);
                const double b = t + l.th + 3 * u;
                if (b < y1 - 2 * u) rough.lineOnce(e.lines, x, b, x, y1, false);
                const Hand::Result r =
                    writeLabel(hand, l.text, x - l.L / 2, t - 0.06 * l.size, l.L, l.size, Hand::Align::center, halo);
                e.labels.insert(e.labels.end(), r.ops.begin(), r.ops.end());
            }
            if (f.arrows) rough.arrowhead(e.heads, x, y1, 0, 1, 12 * u);
        }
    }
}

}  // namespace nolby
