// Point readers and polyline geometry shared by the figure kinds: item points, arrowheads,
// corner splitting, bounds and rounded outlines.
#include "ink/fig/Fig.h"
#include "ink/ops/StrokeOp.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>

namespace nolby {

namespace {


}  // namespace

std::vector<Point> Fig::points(const J& o, std::string_view key) const {
    std::vector<Point> pts = o.points(key);
    if (pts.size() > kMaxPoints) pts.resize(kMaxPoints);
    for (Point& p : pts) p = at(p.x, p.y);
    return pts;
}

void Fig::arrows(const std::string& heads, const std::vector<Point>& pts, Color color, double w) {
    const bool atEnd = heads.find('>') != std::string::npos, atStart = heads.find('<') != std::string::npos;
    if (pts.size() < 2 || (!atEnd && !atStart)) return;
    // 15 text units plus two for every pen unit of the line's width.
    const double size = u * (2 * w / pw + 15);

    // The direction of the line's course over the head's length, not of its last wiggle:
    // from the first point more than 1.4 head sizes back from the tip.
    auto dirAt = [&](bool end) {
        const size_t n = pts.size();
        const Point tip = end ? pts[n - 1] : pts[0];
        for (size_t i = 0; i < n; ++i) {
            const Point p = end ? pts[n - 1 - i] : pts[i];
            if (length(tip - p) > 1.4 * size) return tip - p;
        }
        return tip - (end ? pts[n - 2] : pts[1]);
    };

    Path path;
    if (atEnd) {
        const Point tip = pts.back(), d = dirAt(true);
        rough.arrowhead(path, tip.x, tip.y, d.x, d.y, size);
    }
    if (atStart) {
        const Point tip = pts.front(), d = dirAt(false);
        rough.arrowhead(path, tip.x, tip.y, d.x, d.y, size);
    }
    if (!path.isEmpty()) ops.push_back(std::make_shared<StrokeOp>(path, pen(color, w), 2, 1));
}

std::vector<std::vector<Point>> Fig::corners(const std::vector<Point>& points) {
    std::vector<Point> p;
    p.reserve(points.size());
    for (Point q : points)
        if (p.empty() || length(q - p.back()) > 0.01) p.push_back(q);
    if (p.size() < 3) return {p};

    std::vector<std::vector<Point>> runs;
    std::vector<Point> run{p[0]};
    for (size_t i = 1; i + 1 < p.size(); ++i) {
        run.push_back(p[i]);
        const Point d1 = p[i] - p[i - 1], d2 = p[i + 1] - p[i];
        const double cosTurn = (d1.x * d2.x + d1.y * d2.y) / std::max(length(d1) * length(d2), 1e-9);
        if (cosTurn < 0.64) {  // a turn of more than about 50 degrees
            runs.push_back(std::move(run));
            run = {p[i]};
        }
    }
    run.push_back(p.back());
    runs.push_back(std::move(run));
    return runs;
}

Rect Fig::bounds(const std::vector<Point>& points) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    double minX = inf, minY = inf, maxX = -inf, maxY = -inf;
    for (Point p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    if (points.empty()) return Rect::null();
    return {minX, minY, maxX - minX, maxY - minY};
}

std::vector<Point> Fig::roundedPoly(Rect rect, double r) {
    const double x0 = rect.minX(), y0 = rect.minY(), x1 = rect.maxX(), y1 = rect.maxY();
    if (r <= 0.5) return {{x0, y0}, {x0 + rect.width(), y0}, {x0 + rect.width(), y0 + rect.height()}, {x0, y0 + rect.height()}};
    struct Arc {
        Point centre;
        double from;
    };
    const Arc arcs[] = {{{x1 - r, y0 + r}, -std::numbers::pi / 2},
                        {{x1 - r, y1 - r}, 0},
                        {{x0 + r, y1 - r}, std::numbers::pi / 2},
                        {{x0 + r, y0 + r}, std::numbers::pi}};
    std::vector<Point> out;
    out.reserve(20);
    for (const Arc& arc : arcs)
        for (int j = 0; j <= 4; ++j) {
            const double a = arc.from + j * std::numbers::pi / 8;
            out.push_back({arc.centre.x + r * std::cos(a), arc.centre.y + r * std::sin(a)});
        }
    return out;
}

}  // namespace nolby
