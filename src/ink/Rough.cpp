#include "ink/Rough.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace nolby {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;
// 9 / √200: nine steps for a circumference of 200 (unscaled), more with its square root.
constexpr double kStepFactor = 0.6363961030678927;

bool finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// A point as a pair of lanes: lane arithmetic is IEEE arithmetic lane by lane, bit for bit
// what the same scalar operations give.
typedef double V2 __attribute__((vector_size(16)));
V2 load(Point p) { return V2{p.x, p.y}; }
void store(Point& p, V2 v) {
    p.x = v[0];
    p.y = v[1];
}

// √(dx² + dy²) rather than hypot: IEEE fixes sqrt to the last bit on every machine.
double length(Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

// 2u − 1 for the draw z, where u = (z >> 11) · 2⁻⁵³: doubling a power-of-two multiple is
// exact, so (z >> 11) · 2⁻⁵² − 1 is the same number with one multiplication fewer.
double signed52(uint64_t z) { return static_cast<double>(z >> 11) * 0x1p-52 - 1; }

// Rough::ellipsePoints with the cosine and sine of the increment given, so that the passes
// of one ellipse share them.
void ellipseRing(Rough& rough, std::vector<Point>& pts, double increment, double turnCos, double turnSin, double cx,
                 double cy, double rx, double ry, double offset, double overlap) {
    const double roughness = rough.roughness();
    Rng& rnd = rough.rnd;
    // roughness × a × (2u − 1), one draw, as Rough's own jitter.
    auto jit = [&](double a) { return roughness * a * signed52(rnd.next()); };
    const double s = roughness * (rnd.unit() - 0.5) - kPi / 2;
    // The cosine and sine at the start angle, once the walk has taken them: an end point at
    // that very angle (a pass without overlap) takes them instead of computing them again.
    bool haveStart = false;
    double startCos = 0, startSin = 0;
    auto at = [&](double theta, double f) {
        const bool atStart = haveStart && std::bit_cast<uint64_t>(theta) == std::bit_cast<uint64_t>(s);
        const double x = cx + jit(offset) + f * rx * (atStart ? startCos : std::cos(theta));
        const double y = cy + jit(offset) + f * ry * (atStart ? startSin : std::sin(theta));
        return Point{x, y};
    };
    pts.clear();
    if (increment > 0) pts.reserve(static_cast<size_t>(std::min<double>(kTwoPi / increment, Rough::kMaxEllipseSteps)) + 5);
    pts.push_back(at(s - increment, 0.9));
    // The count bound only matters when the angle stops advancing (a zero increment, or a
    // start angle so large that adding the increment changes nothing).
    const double stop = s + kTwoPi - 0.01;
    double theta = s;
    // The points walk round in equal turns: between fresh sines and cosines every
    // kTurnsPerSine points, each is its neighbour turned by the increment, which costs a few
    // multiplications instead of a sine and a cosine.
    constexpr int kTurnsPerSine = 8;
    double c = 0, sn = 0;
    for (int i = 0; theta < stop && i <= Rough::kMaxEllipseSteps; ++i) {
        if (i % kTurnsPerSine == 0) {
            c = std::cos(theta);
            sn = std::sin(theta);
            if (i == 0) {
                haveStart = true;
                startCos = c;
                startSin = sn;
            }
        } else {
            const double turned = c * turnCos - sn * turnSin;
            sn = sn * turnCos + c * turnSin;
            c = turned;
        }
        const double x = cx + jit(offset) + rx * c;
        const double y = cy + jit(offset) + ry * sn;
        pts.push_back({x, y});
        theta = theta + increment;
    }
    pts.push_back(at(s + kTwoPi + overlap / 2, 1));
    pts.push_back(at(s + overlap, 0.98));
    pts.push_back(at(s + overlap / 2, 0.9));
}

}  // namespace

Rough::Rough(uint64_t seed, double roughness, double maxOffset, int maxPasses, double scale)
    : rnd(seed), roughness_(roughness), maxOffset_(maxOffset), maxPasses_(maxPasses), scale_(scale) {}

double Rough::signedUnit() { return signed52(rnd.next()); }

double Rough::jit(double a) { return roughness_ * a * signedUnit(); }

[[gnu::flatten]] void Rough::lineOnce(Path& path, double x1, double y1, double x2, double y2, bool overlay) {
    const double dx = x2 - x1, dy = y2 - y1;
    const double lenSq = dx * dx + dy * dy;
    const double len = std::sqrt(lenSq);  // not hypot: IEEE fixes sqrt to the last bit
    const double scaled = len / scale_;
    // Long strokes wobble less, or they would look drunk.
    const double gain = scaled < 200 ? 1 : scaled > 500 ? 0.4 : 1.233334 - 0.0016668 * scaled;
    const double k = gain * roughness_;
    double o = lenSq < 100 * (maxOffset_ * maxOffset_) ? len / 10 : maxOffset_;
    if (overlay) o = o / 2;

    // Every draw is its own statement: the order is part of the ink.
    const double divergence = 0.2 + 0.2 * rnd.unit();
    const double bx = k * (maxOffset_ * (y2 - y1) / 200) * signedUnit();
    const double by = k * (maxOffset_ * (x1 - x2) / 200) * signedUnit();
    Point start, end, c1, c2;
    start.x = x1 + k * o * signedUnit();
    start.y = y1 + k * o * signedUnit();
    end.x = x2 + k * o * signedUnit();
    end.y = y2 + k * o * signedUnit();
    c1.x = x1 + bx + (x2 - x1) * divergence + k * o * signedUnit();
    c1.y = y1 + by + (y2 - y1) * divergence + k * o * signedUnit();
    c2.x = x1 + bx + 2 * (x2 - x1) * divergence + k * o * signedUnit();
    c2.y = y1 + by + 2 * (y2 - y1) * divergence + k * o * signedUnit();

    if (!finite(start) || !finite(end) || !finite(c1) || !finite(c2)) return;
    path.moveTo(start.x, start.y);  // field by field: no read-back of a point just stored
    path.curveTo(c1, c2, end);
}

void Rough::line(Path& path, double x1, double y1, double x2, double y2, int passes) {
    const bool twice = std::min(maxPasses_, passes) > 1;
    path.reserve(twice ? 4 : 2);
    lineOnce(path, x1, y1, x2, y2, false);
    if (twice) lineOnce(path, x1, y1, x2, y2, true);
}

void Rough::curve(Path& path, const std::vector<Point>& points, int passes, double jitter) {
    if (points.size() < 2) return;
    if (points.size() == 2) {
        line(path, points[0].x, points[0].y, points[1].x, points[1].y, passes);
        return;
    }
    const int n = std::min(maxPasses_, passes);
    if (n <= 0) return;
    // The moved points with the first and last repeated as spline guides.
    std::vector<Point> guided(points.size() + 2);
    for (int pass = 0; pass < n; ++pass) {
        const double j = pass == 0 ? jitter * scale_ : jitter * 1.5 * scale_;
        for (size_t i = 0; i < points.size(); ++i) {
            const double x = points[i].x + jit(j);
            const double y = points[i].y + jit(j);
            guided[i + 1] = {x, y};
        }
        guided.front() = guided[1];
        guided.back() = guided[guided.size() - 2];
        catmull(path, guided);
    }
}

// Flattened: the path's element appends inline into the loop.
[[gnu::flatten]] void Rough::catmull(Path& path, const std::vector<Point>& p) {
    const size_t m = p.size();
    if (m < 4) return;
    // An overflowing spline leaves no half sub-path: what it appended is taken back.
    if (!finite(p[1])) return;
    const Path::Mark before = path.mark();
    path.reserve(m - 2);
    path.moveTo(p[1].x, p[1].y);
    // x and y go side by side through the same operations in the same order, so each lane
    // rounds as the scalar formula would. A non-finite value anywhere makes `spoilt` NaN.
    V2 spoilt{0, 0};
    for (size_t i = 1; i + 2 < m; ++i) {
        const V2 before1 = load(p[i - 1]), at = load(p[i]), next = load(p[i + 1]), after = load(p[i + 2]);
        const V2 v1 = at + (next - before1) / 6;
        const V2 v2 = next - (after - at) / 6;
        spoilt = spoilt + (v1 - v1) + (v2 - v2) + (next - next);
        path.curveTo({v1[0], v1[1]}, {v2[0], v2[1]}, p[i + 1]);
    }
    if (!(spoilt[0] == 0 && spoilt[1] == 0)) path.rollback(before);
}

std::vector<Point> Rough::ellipsePoints(double increment, double cx, double cy, double rx, double ry,
                                        double offset, double overlap) {
    std::vector<Point> pts;
    ellipsePoints(pts, increment, cx, cy, rx, ry, offset, overlap);
    return pts;
}

void Rough::ellipsePoints(std::vector<Point>& pts, double increment, double cx, double cy, double rx, double ry,
                          double offset, double overlap) {
    ellipseRing(*this, pts, increment, std::cos(increment), std::sin(increment), cx, cy, rx, ry, offset, overlap);
}

void Rough::ellipse(Path& path, double cx, double cy, double w, double h, int passes) {
    // An infinite size cannot form a step count; draw nothing and make no draw.
    if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(w) || !std::isfinite(h)) return;
    const double a = w / scale_ / 2, b = h / scale_ / 2;
    const double ideal = std::ceil(std::max(9.0, kStepFactor * std::sqrt(kTwoPi * std::sqrt((a * a + b * b) / 2))));
    // Huge finite sizes overflow to infinity here; cap the steps instead.
    const int steps = ideal <= kMaxEllipseSteps ? static_cast<int>(ideal) : kMaxEllipseSteps;
    const double increment = kTwoPi / steps;

    const double rx = w / 2 + jit(0.05 * w / 2);
    const double ry = h / 2 + jit(0.05 * h / 2);
    const double overlap = increment * (0.1 + 0.3 * rnd.unit());

    // One guide point buffer for both passes; a pass adds about steps + 2 elements.
    const bool twice = std::min(maxPasses_, passes) > 1;
    path.reserve((twice ? 2 : 1) * (static_cast<size_t>(steps) + 4));
    // Both passes turn by the same increment.
    const double turnCos = std::cos(increment), turnSin = std::sin(increment);
    std::vector<Point> pts;
    ellipseRing(*this, pts, increment, turnCos, turnSin, cx, cy, rx, ry, scale_, overlap);
    catmull(path, pts);
    if (twice) {
        ellipseRing(*this, pts, increment, turnCos, turnSin, cx, cy, rx, ry, 1.5 * scale_, 0);
        catmull(path, pts);
    }
}

void Rough::corner(Path& path, double x0, double y0, double x1, double y1, double cx, double cy) {
    const double endJitter = 0.6 * scale_, controlJitter = 0.8 * scale_;
    Point start, end, control;
    start.x = x0 + jit(endJitter);
    start.y = y0 + jit(endJitter);
    end.x = x1 + jit(endJitter);
    end.y = y1 + jit(endJitter);
    control.x = cx + jit(controlJitter);
    control.y = cy + jit(controlJitter);
    if (!finite(start) || !finite(end) || !finite(control)) return;
    path.moveTo(start.x, start.y);
    path.quadTo(control, end);
}

void Rough::rect(Path& path, double x, double y, double w, double h, bool rounded, int passes) {
    // A negative pass count draws like 0: sides once, no corners.
    const int n = std::max(0, std::min(maxPasses_, passes));
    path.reserve(8 * static_cast<size_t>(std::max(1, std::min(n, 2))) + (rounded ? 8 * static_cast<size_t>(std::min(n, 16)) : 0));
    if (!rounded) {
        line(path, x, y, x + w, y, n);
        line(path, x + w, y, x + w, y + h, n);
        line(path, x + w, y + h, x, y + h, n);
        line(path, x, y + h, x, y, n);
        return;
    }
    const double r = std::min(0.25 * std::min(w, h), 14.0);
    line(path, x + r, y, x + w - r, y, n);
    for (int i = 0; i < n; ++i) corner(path, x + w - r, y, x + w, y + r, x + w, y);
    line(path, x + w, y + r, x + w, y + h - r, n);
    for (int i = 0; i < n; ++i) corner(path, x + w, y + h - r, x + w - r, y + h, x + w, y + h);
    line(path, x + w - r, y + h, x + r, y + h, n);
    for (int i = 0; i < n; ++i) corner(path, x + r, y + h, x, y + h - r, x, y + h);
    line(path, x, y + h - r, x, y + r, n);
    for (int i = 0; i < n; ++i) corner(path, x, y + r, x + r, y, x, y);
}

void Rough::arrowhead(Path& path, double tipX, double tipY, double dx, double dy, double size) {
    const double base = std::atan2(dy, dx) + kPi;
    for (double side : {-1.0, 1.0}) {
        const double spread = 0.45 + jit(0.06);
        const double reach = size * (0.92 + 0.16 * rnd.unit());
        const double angle = side < 0 ? base - spread : base + spread;
        const double ex = tipX + reach * std::cos(angle);
        const double ey = tipY + reach * std::sin(angle);
        lineOnce(path, tipX, tipY, ex, ey, false);
        lineOnce(path, tipX, tipY, ex, ey, false);
    }
}

void Rough::hachure(Path& path, const std::vector<std::vector<Point>>& polygons, double gap, double angle) {
    // The row loop advances by gap: anything but a positive finite gap never ends.
    if (!(gap > 0) || !std::isfinite(gap)) return;
    const double phi = angle * kPi / 180;
    const double c = std::cos(phi), s = std::sin(phi);

    // Every edge turned into the hatch frame, where the hatch rows are horizontal. Edges no
    // row can cross (level ones, and those with NaN ends) are left out.
    struct Edge {
        Point from, to;
        double lo, hi;  // the rows from lo up to, not including, hi cross it
    };
    std::vector<Edge> edges;
    constexpr double inf = std::numeric_limits<double>::infinity();
    double minY = inf, maxY = -inf;
    bool any = false;
    for (const auto& poly : polygons) {
        if (poly.size() <= 2) continue;
        any = true;
        const auto turned = [&](Point p) { return Point{p.x * c + p.y * s, p.y * c - p.x * s}; };
        const Point first = turned(poly.front());
        Point q = first;
        for (size_t i = 0; i < poly.size(); ++i) {
            const Point next = i + 1 < poly.size() ? turned(poly[i + 1]) : first;
            minY = std::min(minY, q.y);
            maxY = std::max(maxY, q.y);
            if (q.y < next.y) edges.push_back({q, next, q.y, next.y});
            else if (next.y < q.y) edges.push_back({q, next, next.y, q.y});
            q = next;
        }
    }
    if (!any) return;
    // Non-finite points, and extents that would need absurdly many rows, hatch nothing.
    if (!std::isfinite(minY) || !std::isfinite(maxY) || (maxY - minY) / gap > kMaxHatchRows) return;

    double y = minY + gap * (0.5 + 0.3 * rnd.unit());
    // A convex outline gives one stroke (two elements) a row.
    path.reserve(2 * (static_cast<size_t>((maxY - minY) / gap) + 1));
    std::vector<double> xs;
    for (int row = 0; y < maxY && row <= kMaxHatchRows; ++row) {
        xs.clear();
        for (const Edge& e : edges) {
            if (e.lo <= y && y < e.hi) {
                const Point pi = e.from, pj = e.to;
                const double x = pi.x + (pj.x - pi.x) * (y - pi.y) / (pj.y - pi.y);
                // Overflow could make NaN, which would break the sort.
                if (std::isfinite(x)) xs.push_back(x);
            }
        }
        // Pull both ends in by a point so strokes do not poke through the outline.
        const auto stroke = [&](double from, double to) {
            const double a = from + 1, b = to - 1;
            if (a < b) lineOnce(path, a * c - y * s, a * s + y * c, b * c - y * s, b * s + y * c, false);
        };
        // The crossings in order, paired. Most rows cross twice: those take one comparison
        // (which of two equal crossings comes first changes no stroke).
        if (xs.size() == 2) {
            const double p = xs[0], q = xs[1];
            if (q < p) stroke(q, p);
            else stroke(p, q);
        } else {
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2) stroke(xs[i], xs[i + 1]);
        }
        y = y + gap;
    }
}

std::vector<Point> Rough::thin(const std::vector<Point>& points, double step) {
    if (points.size() < 3) return points;
    std::vector<Point> out{points.front()};
    double sum = 0;
    for (size_t i = 1; i + 1 < points.size(); ++i) {
        sum += length(points[i - 1], points[i]);
        if (sum >= step) {
            out.push_back(points[i]);
            sum = 0;
        }
    }
    out.push_back(points.back());
    return out;
}

}  // namespace nolby
