// The marks over a number line: jumps drawn as arrowed arcs and points drawn as dots, each
// with a label placed clear of the labels and arcs before it.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <memory>

namespace nolby {

namespace {

// Label rows of a point tried above the line; the 200 u ceiling ends the search far
// sooner unless the text size is degenerate.
constexpr int kMaxPointRows = 64;

}  // namespace

void Fig::lineJumps(const J& o, NumberScale& s) {
    std::vector<J> jumps = o.objs("jumps");
    if (jumps.size() > kMaxLineJumps) jumps.resize(kMaxLineJumps);
    const double Y = s.Y;
    for (const J& j : jumps) {
        const double xa = s.pos(j.num("from", s.from)), xb = s.pos(j.num("to", s.from));
        const Color color = Ink::color(j.str("c", "green"), Ink::ink);
        const double h = std::min(14 * u + 0.35 * std::fabs(xb - xa), 60 * u);
        const double xm = (xa + xb) / 2;
        const Pen arcPen = pen(color, 2.3 * pw);

        Path arc;
        rough.curve(arc, {{xa, Y - 6 * u}, {xm, Y - h}, {xb, Y - 8 * u}}, 1, 0.3);
        ops.push_back(std::make_shared<StrokeOp>(arc, arcPen, 1, 1));
        Path head;
        rough.arrowhead(head, xb, Y - 8 * u, xb - xm, 0.6 * h, 12 * u);
        ops.push_back(std::make_shared<StrokeOp>(head, arcPen, 2, 1));

        // The arc as point labels must avoid it: a parabola through (xm, Y - h).
        const Point A{xa, Y - 6 * u}, B{xb, Y - 8 * u}, Q{xm, 2 * (Y - h) - (Y - 7 * u)};
        for (int i = 0; i <= 20; ++i) {
            const double t = i / 20.0, r = 1 - t;
            s.arcs.push_back({r * r * A.x + 2 * r * t * Q.x + t * t * B.x, r * r * A.y + 2 * r * t * Q.y + t * t * B.y});
        }

        const std::string text = j.str("text", "");
        if (blank(text)) continue;
        const Setting st = setting(text, xm, "c", 0.8);
        const double base = lifted(s, st, Y - h - 6 * u, 4 * u, 2 * u);
        handLine(text, st.left, base - st.size, st.tw + st.size, st.size, color, halo);
        s.labels.push_back(Rect{st.left, base - 0.8 * st.size, st.tw, 1.05 * st.size}.insetBy(-4 * u, -2 * u));
    }
}

void Fig::linePoints(const J& o, NumberScale& s) {
    std::vector<J> points = o.objs("points");
    if (points.size() > kMaxLinePoints) points.resize(kMaxLinePoints);
    const double Y = s.Y, ps = 0.85 * textSize;
    for (const J& p : points) {
        const double v = J::number(p["v"]).value_or(s.from);
        const double t = (v - s.from) / s.span;
        if (t < -0.08 || t > 1.08) continue;  // beyond the drawn extension
        const double x = s.pos(v);
        const Color color = Ink::color(p.str("c", "red"), Ink::ink);

        Path dot;
        rough.ellipse(dot, x, Y, 10 * u, 10 * u, 1);
        ops.push_back(std::make_shared<StrokeOp>(dot, pen(color, 6 * u), 1, 1));

        const std::string text = p.str("text", "");
        if (blank(text)) continue;
        const double lw = plainWidth(text, ps);
        const Point at = pointLabel(s, x, lw, ps);
        // A label raised above its first row is tied to its dot, broken around other labels.
        const double y0 = Y - 26 * u - ps;
        if (at.y < y0 - 4 * u) {
            Path leader;
            for (const auto& [a, b] : clear({footX(x, at.x, lw), at.y + 1.3 * ps}, {x, Y - 8 * u}, s.labels))
                rough.lineOnce(leader, a.x, a.y, b.x, b.y, false);
            if (!leader.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(leader, pen(color, 1.4 * pw), 1, 1));
        }
        s.labels.push_back(Rect{at.x - 3 * u, at.y + 0.2 * ps, lw + 6 * u, ps}.insetBy(-u, -u));
        handLine(text, at.x, at.y, ps + lw, ps, color, halo);
    }
}

Point Fig::pointLabel(const NumberScale& s, double x, double lw, double ps) const {
    const double Y = s.Y;
    auto clampX = [&](double lx) { return std::min(std::max(lx, ox), std::max(ox, s.R - lw)); };
    auto free = [&](double lx, double y) {
        const Rect r{lx - 3 * u, y + 0.2 * ps, lw + 6 * u, ps};
        for (const Rect& l : s.labels)
            if (l.intersects(r)) return false;
        const Rect g = r.insetBy(-2 * u, -2 * u);
        for (Point q : s.arcs)
            if (g.contains(q)) return false;
        return true;
    };

    // Just above the dot first (y0, then the lower y1), then rows further up.
    const double x0 = clampX(x - lw / 2);
    const double y0 = Y - 26 * u - ps;
    std::vector<double> rows{y0, Y - 12 * u - 1.2 * ps};
    for (int i = 1; static_cast<int>(rows.size()) < kMaxPointRows; ++i) {
        const double y = y0 - 1.1 * i * ps;
        if (!(y > Y - 200 * u)) break;
        rows.push_back(y);
    }
    // Sideways by fractions of the label's width; further aside only in the higher rows,
    // where the leader down to the dot must not cross another label.
    static constexpr double kShifts[] = {0, 0.3, -0.3, 0.45, -0.45, 0.7, -0.7, 1.0, -1.0};
    for (double y : rows) {
        const bool high = y < y0 - 1;
        for (size_t i = 0; i < (high ? 9u : 5u); ++i) {
            const double lx = clampX(x - lw / 2 + kShifts[i] * lw);
            if (!free(lx, y)) continue;
            if (high && crosses({footX(x, lx, lw), y + 1.3 * ps}, {x, Y - 8 * u}, s.labels)) continue;
            return {lx, y};
        }
    }
    // Nowhere clear of everything: the first row free straight above the dot, else the first.
    for (double y : rows)
        if (free(x0, y)) return {x0, y};
    return {x0, y0};
}

double Fig::footX(double x, double lx, double lw) const {
    // Where a leader leaves its label: the point of the label's bottom nearest above the dot.
    return std::min(std::max(x, lx + 3 * u), std::max(lx + 3 * u, lx + lw - 3 * u));
}

}  // namespace nolby
