#include "ink/Freehand.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace nolby::Freehand {

namespace {

// Stored strokes come from files, not only from the pointer: coordinates are kept within
// this reach of the page, widths within kMaxSize, and resampling within a point budget, so
// a damaged file cannot make an endless outline or hand cairo a non-number.
constexpr double kReach = 1e6;
constexpr double kMaxSize = 1000;
constexpr int kMaxSegmentSteps = 4096;
constexpr size_t kResampleBudget = 65536;

// length (√(dx² + dy²)) rather than hypot: the coordinates are clamped (kReach) far below
// where the squares could overflow.
double distanceOf(Point a, Point b) { return length(b - a); }

// Whether the distance from a to b is over `limit`, as distance(a, b) > limit decides it:
// the squared distance settles all but a hair's breadth around the limit without a root.
bool fartherThan(Point a, Point b, double limit) {
    const double dx = b.x - a.x, dy = b.y - a.y, q = dx * dx + dy * dy, l2 = limit * limit;
    if (q > l2 * (1 + 1e-9)) return true;
    if (q < l2 * (1 - 1e-9)) return false;
    return distanceOf(a, b) > limit;
}

double finiteOr0(double v) { return std::isfinite(v) ? v : 0; }

bool isSane(const Sample& s) {
    return std::abs(s.point.x) <= kReach && std::abs(s.point.y) <= kReach && s.pressure >= 0 && s.pressure <= 1;
}

// The samples with non-finite points dropped and the rest clamped; the samples themselves
// when nothing needs mending (as from the pointer), else `out` holding the mended copy.
const std::vector<Sample>& sane(const std::vector<Sample>& samples, std::vector<Sample>& out) {
    if (std::all_of(samples.begin(), samples.end(), isSane)) return samples;
    out.clear();
    out.reserve(samples.size());
    for (const Sample& s : samples) {
        if (!std::isfinite(s.point.x) || !std::isfinite(s.point.y)) continue;
        double pressure = std::isnan(s.pressure) ? 0.5 : std::clamp(s.pressure, 0.0, 1.0);
        out.push_back({{std::clamp(s.point.x, -kReach, kReach), std::clamp(s.point.y, -kReach, kReach)}, pressure});
    }
    return out;
}

Options sane(Options o) {
    o.size = std::clamp(finiteOr0(o.size), -kMaxSize, kMaxSize);
    o.thinning = finiteOr0(o.thinning);
    o.streamline = finiteOr0(o.streamline);
    o.taperStart = finiteOr0(o.taperStart);
    o.taperEnd = finiteOr0(o.taperEnd);
    o.taperFloor = finiteOr0(o.taperFloor);
    return o;
}

Path dot(Point center, double size) {
    double r = 0.62 * size;
    Path path;
    path.addEllipse({center.x - r, center.y - r, 2 * r, 2 * r});
    return path;
}

// Each smoothed point moves (1 − streamline) of the way from the last one towards the
// pen; steps of a quarter point or less are dropped. The pen's last sample always ends it.
void streamlined(const std::vector<Sample>& samples, double streamline, std::vector<Sample>& out) {
    out.clear();
    out.reserve(samples.size() + 1);
    out.push_back(samples.front());
    Point last = samples.front().point;
    for (size_t i = 1; i < samples.size(); ++i) {
        const Point p = samples[i].point;
        const Point candidate{last.x + (1 - streamline) * (p.x - last.x), last.y + (1 - streamline) * (p.y - last.y)};
        if (fartherThan(last, candidate, 0.25)) {
            out.push_back({candidate, samples[i].pressure});
            last = candidate;
        }
    }
    if (fartherThan(last, samples.back().point, 0.25)) out.push_back(samples.back());
}

// Radius of the pen at each sample: pressure (given or simulated from speed), thinning,
// then the start and end tapers.
// `dist` is scratch, returned holding the distance walked to each sample.
void radii(const std::vector<Sample>& s, const Options& o, std::vector<double>& out, std::vector<double>& dist) {
    // Each step's length is kept in `out` until its radius replaces it.
    out.resize(s.size());
    dist.resize(s.size());
    out[0] = 0;
    dist[0] = 0;
    double walked = 0;  // kept out of memory: the running sum is the loop's critical path
    for (size_t j = 1; j < s.size(); ++j) {
        const double step = distanceOf(s[j - 1].point, s[j].point);
        out[j] = step;
        walked += step;
        dist[j] = walked;
    }
    const double total = dist.back();
    double pressure = 0.5;
    const double perSpeed = 1 / (1.6 * o.size);
    for (size_t j = 0; j < s.size(); ++j) {
        if (o.simulatePressure) {
            // Slow pen, thick line; fast pen, thin line.
            double v = j == 0 ? 0 : out[j] * perSpeed;
            double target = std::min(std::max(1 - v, 0.25), 1.0);
            pressure = pressure + (target - pressure) * 0.28;
        } else {
            pressure = s[j].pressure;
        }
        double r = o.size * (0.5 - o.thinning * (0.5 - pressure));
        if (!(r >= 0.35)) r = 0.35;
        if (o.taperStart > 0 && dist[j] < o.taperStart)
            r = r * std::max(o.taperFloor, std::sin(dist[j] / o.taperStart * M_PI / 2));
        if (o.taperEnd > 0 && total - dist[j] < o.taperEnd)
            r = r * std::max(o.taperFloor + 0.05, std::sin((total - dist[j]) / o.taperEnd * M_PI / 2));
        out[j] = r;
    }
}

// The unit normal of the stroke at j, from its neighbours; (0, 1) where they coincide.
Point normal(const std::vector<Sample>& s, size_t j) {
    Point prev = s[j == 0 ? 0 : j - 1].point, next = s[j + 1 < s.size() ? j + 1 : j].point;
    Point d = next - prev;
    double len = length(d);
    if (len > 0.0001) {
        const double inv = 1 / len;
        return {-d.y * inv, d.x * inv};
    }
    return {0, 1};
}

}  // namespace

namespace {
// cos and sin of k·π/8 for k = 1…8: the cap's points are its radius turned by these steps.
constexpr double kC1 = 0.9238795325112867, kC2 = 0.7071067811865476, kC3 = 0.3826834323650898;
constexpr double kCapCos[8] = {kC1, kC2, kC3, 0, -kC3, -kC2, -kC1, -1};
constexpr double kCapSin[8] = {kC3, kC2, kC1, 1, kC1, kC2, kC3, 0};
}  // namespace

void cap(Path& path, Point center, Point from, Point outward) {
    const Point d = from - center;
    if (length(d) <= 0.01) return;
    // Round the side `outward` points to: turning d a quarter turn anticlockwise gives
    // (−d.y, d.x); the cap turns that way when outward leans the same way.
    const double side = -outward.x * d.y + outward.y * d.x;
    const double turn = side >= 0 ? 1 : -1;
    for (int k = 0; k < 8; ++k) {
        const double c = kCapCos[k], s = turn * kCapSin[k];
        path.lineTo(center.x + (d.x * c - d.y * s), center.y + (d.x * s + d.y * c));
    }
}

namespace {

// resample() into `out`, with `steps` as scratch.
void resample(const std::vector<Sample>& s, double spacing, std::vector<Sample>& out, std::vector<int>& steps) {
    if (s.size() < 3) {
        out.assign(s.begin(), s.end());
        return;
    }
    const size_t last = s.size() - 1;
    // The steps of every segment first, so the result is allocated once.
    steps.resize(last);
    size_t count = 1;
    for (size_t j = 0; j < last; ++j) {
        double d = std::floor(length(s[j + 1].point - s[j].point) / spacing);
        int n = 1;
        if (count < kResampleBudget && d > 1) n = d < kMaxSegmentSteps ? static_cast<int>(d) : kMaxSegmentSteps;
        steps[j] = n;
        count += static_cast<size_t>(n);
    }
    out.resize(count);
    out[0] = s.front();
    size_t i = 1;
    for (size_t j = 0; j < last; ++j) {
        const Sample& e = s[j];
        const Sample& f = s[j + 1];
        Point b = s[j == 0 ? 0 : j - 1].point;
        Point c = s[std::min(j + 2, last)].point;
        const int n = steps[j];
        auto along = [](double b, double e, double f, double c, double u) {
            return 0.5 * (2 * e + (f - b) * u + (2 * b - 5 * e + 4 * f - c) * (u * u) + (3 * e - b - 3 * f + c) * (u * u * u));
        };
        const double step = 1.0 / n;
        for (int k = 1; k < n; ++k) {
            const double u = k * step;
            out[i++] = {{along(b.x, e.point.x, f.point.x, c.x, u), along(b.y, e.point.y, f.point.y, c.y, u)},
                        e.pressure + (f.pressure - e.pressure) * u};
        }
        // The curve ends on the sample itself (most segments are a single step).
        out[i++] = f;
    }
}

// Working buffers for outlines, one set per thread (outlines are made on any thread):
// after the first strokes an outline allocates nothing but its path.
struct Scratch {
    std::vector<Sample> sane, smooth, points;
    std::vector<int> steps;
    std::vector<double> radii, other;

    // A huge stroke's buffers are not kept for the thread's lifetime.
    void trim() {
        constexpr size_t kKeep = 16384;
        auto drop = [](auto& v) {
            if (v.capacity() > kKeep) std::decay_t<decltype(v)>().swap(v);
        };
        drop(sane);
        drop(smooth);
        drop(points);
        drop(steps);
        drop(radii);
        drop(other);
    }
};

Path outline(const std::vector<Sample>& input, const Options& o, Scratch& scratch);

}  // namespace

std::vector<Sample> resample(const std::vector<Sample>& s, double spacing) {
    std::vector<Sample> out;
    std::vector<int> steps;
    resample(s, spacing, out, steps);
    return out;
}

Path outline(const std::vector<Sample>& input, const Options& given) {
    thread_local Scratch scratch;
    Path path = outline(input, sane(given), scratch);
    scratch.trim();
    return path;
}

namespace {

Path outline(const std::vector<Sample>& input, const Options& o, Scratch& scratch) {
    const std::vector<Sample>& samples = sane(input, scratch.sane);
    if (samples.empty()) return Path();
    const Point first = samples.front().point;
    bool still = std::all_of(samples.begin(), samples.end(),
                             [&](const Sample& s) { return distanceOf(first, s.point) < 0.6; });
    if (samples.size() == 1 || still) return dot(first, o.size);

    streamlined(samples, o.streamline, scratch.smooth);
    resample(scratch.smooth, 1.4, scratch.points, scratch.steps);
    const std::vector<Sample>& p = scratch.points;
    if (p.size() < 2) return dot(first, o.size);

    std::vector<double>& r = scratch.radii;
    std::vector<double>& sideB = scratch.other;
    radii(p, o, r, sideB);
    // Side A goes straight into the path; side B, drawn backwards after the end cap, waits
    // in the other buffer (x and y interleaved).
    const size_t last = p.size() - 1;
    sideB.resize(2 * p.size());
    Path path;
    path.reserve(2 * p.size() + 18);
    auto sideA = [&](size_t j) {
        const Point n = normal(p, j);
        sideB[2 * j] = p[j].point.x - r[j] * n.x;
        sideB[2 * j + 1] = p[j].point.y - r[j] * n.y;
        return Point{p[j].point.x + r[j] * n.x, p[j].point.y + r[j] * n.y};
    };
    path.moveTo(sideA(0));
    path.linesTo(last, [&](size_t i) { return sideA(i + 1); });
    const Point endA = path.currentPoint();
    size_t k = p.size() >= 3 ? last - 2 : 0;
    cap(path, p[last].point, endA, p[last].point - p[k].point);
    path.linesTo(last + 1, [&](size_t i) { return Point{sideB[2 * (last - i)], sideB[2 * (last - i) + 1]}; });
    size_t k2 = p.size() >= 3 ? 2 : last;
    cap(path, p[0].point, {sideB[0], sideB[1]}, p[0].point - p[k2].point);
    path.close();
    return path;
}

}  // namespace

}  // namespace nolby::Freehand
