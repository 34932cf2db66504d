#include "ink/Rough.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

using namespace nolby;

namespace {

using Verb = Path::Verb;
using Points = std::vector<Point>;

Rough figure(uint64_t seed, int maxPasses = 2) { return Rough(seed, 1, 1.054, maxPasses, 0.62); }
Rough ruled(uint64_t seed) { return Rough(seed, 0, 1.054, 2, 0.62); }

// A fresh generator run forward by the given number of draws.
Rng advanced(uint64_t seed, int draws) {
    Rng r(seed);
    for (int i = 0; i < draws; ++i) r.next();
    return r;
}

int count(const Path& path, Verb verb) {
    int n = 0;
    for (const auto& e : path.elements()) n += e.verb == verb;
    return n;
}

bool allFinite(const Path& path) {
    for (const auto& e : path.elements())
        for (int i = 0; i < e.count(); ++i)
            if (!std::isfinite(e.pts[i].x) || !std::isfinite(e.pts[i].y)) return false;
    return true;
}

// The end point of every element, in order.
Points ends(const Path& path) {
    Points out;
    for (const auto& e : path.elements())
        if (e.count() > 0) out.push_back(e.pts[e.count() - 1]);
    return out;
}

const Points kSquare{{0, 0}, {100, 0}, {100, 100}, {0, 100}};

// ---------------------------------------------------------------------------------------
// Draw counts: after each call the generator stands exactly where a fresh one seeded alike
// stands after the documented number of draws.

struct DrawCase {
    std::string name;
    int maxPasses;
    std::function<void(Rough&, Path&)> draw;
    int draws;
};

TEST(Rough, EveryOperationMakesItsDocumentedNumberOfDraws) {
    const Points three{{0, 0}, {40, 10}, {80, 0}};
    const Points four{{0, 0}, {40, 10}, {80, 0}, {120, 30}};
    const Points hole{{40, 40}, {60, 40}, {60, 60}, {40, 60}};
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<DrawCase> cases = {
        {"lineOnce", 2, [](Rough& r, Path& p) { r.lineOnce(p, 1, 2, 300, 40, false); }, 11},
        {"lineOnce zero length", 2, [](Rough& r, Path& p) { r.lineOnce(p, 5, 5, 5, 5, true); }, 11},
        {"line passes 1", 2, [](Rough& r, Path& p) { r.line(p, 0, 0, 50, 0, 1); }, 11},
        {"line passes 2", 2, [](Rough& r, Path& p) { r.line(p, 0, 0, 50, 0, 2); }, 22},
        {"line passes capped", 2, [](Rough& r, Path& p) { r.line(p, 0, 0, 50, 0, 7); }, 22},
        {"line maxPasses 1", 1, [](Rough& r, Path& p) { r.line(p, 0, 0, 50, 0, 2); }, 11},
        {"line passes 0", 2, [](Rough& r, Path& p) { r.line(p, 0, 0, 50, 0, 0); }, 11},
        {"line passes -1", 2, [](Rough& r, Path& p) { r.line(p, 0, 0, 50, 0, -1); }, 11},
        {"curve one point", 2, [](Rough& r, Path& p) { r.curve(p, {{1, 1}}, 2, 1); }, 0},
        {"curve two points is a line", 2, [](Rough& r, Path& p) { r.curve(p, {{0, 0}, {9, 9}}, 2, 1); }, 22},
        {"curve 3 points 1 pass", 2, [&](Rough& r, Path& p) { r.curve(p, three, 1, 1); }, 6},
        {"curve 4 points 2 passes", 2, [&](Rough& r, Path& p) { r.curve(p, four, 2, 1); }, 16},
        {"curve passes capped", 2, [&](Rough& r, Path& p) { r.curve(p, three, 5, 1); }, 12},
        {"curve passes 0", 2, [&](Rough& r, Path& p) { r.curve(p, four, 0, 1); }, 0},
        {"curve passes -3", 2, [&](Rough& r, Path& p) { r.curve(p, four, -3, 1); }, 0},
        // 9 steps: 13 guide points, 27 draws a pass, after 3 for the radii and overlap.
        {"ellipse 10x10 1 pass", 2, [](Rough& r, Path& p) { r.ellipse(p, 0, 0, 10, 10, 1); }, 30},
        {"ellipse 10x10 2 passes", 2, [](Rough& r, Path& p) { r.ellipse(p, 0, 0, 10, 10, 2); }, 57},
        {"ellipse 0x0", 2, [](Rough& r, Path& p) { r.ellipse(p, 7, 7, 0, 0, 1); }, 30},
        // 15 steps: 19 guide points.
        {"ellipse 100x100 2 passes", 2, [](Rough& r, Path& p) { r.ellipse(p, 50, 50, 100, 100, 2); }, 81},
        {"ellipse 100x100 maxPasses 1", 1, [](Rough& r, Path& p) { r.ellipse(p, 50, 50, 100, 100, 2); }, 42},
        // 22 steps: 26 guide points.
        {"ellipse 300x100 1 pass", 2, [](Rough& r, Path& p) { r.ellipse(p, 0, 0, 300, 100, 1); }, 56},
        {"ellipse NaN width", 2, [&](Rough& r, Path& p) { r.ellipse(p, 0, 0, nan, 10, 2); }, 0},
        {"ellipse infinite height", 2, [&](Rough& r, Path& p) { r.ellipse(p, 0, 0, 10, inf, 2); }, 0},
        {"rect passes 1", 2, [](Rough& r, Path& p) { r.rect(p, 0, 0, 80, 40, false, 1); }, 44},
        {"rect passes 2", 2, [](Rough& r, Path& p) { r.rect(p, 0, 0, 80, 40, false, 2); }, 88},
        {"rounded rect passes 0", 2, [](Rough& r, Path& p) { r.rect(p, 0, 0, 80, 40, true, 0); }, 44},
        {"rounded rect passes 1", 2, [](Rough& r, Path& p) { r.rect(p, 0, 0, 80, 40, true, 1); }, 68},
        {"rounded rect passes 2", 2, [](Rough& r, Path& p) { r.rect(p, 0, 0, 80, 40, true, 2); }, 136},
        {"rounded rect passes -1", 2, [](Rough& r, Path& p) { r.rect(p, 0, 0, 80, 40, true, -1); }, 44},
        {"arrowhead", 2, [](Rough& r, Path& p) { r.arrowhead(p, 10, 10, 1, 0, 7); }, 48},
        {"arrowhead maxPasses 1", 1, [](Rough& r, Path& p) { r.arrowhead(p, 10, 10, 1, 0, 7); }, 48},
        // Rows start in [5, 8) and step by 10: ten rows of one span each.
        {"hachure square", 2, [&](Rough& r, Path& p) { r.hachure(p, {kSquare}, 10, 0); }, 111},
        // The two rows through the hole have two spans each.
        {"hachure with hole", 2, [&](Rough& r, Path& p) { r.hachure(p, {kSquare, hole}, 10, 0); }, 133},
        {"hachure narrow spans", 2,
         [](Rough& r, Path& p) { r.hachure(p, {{{0, 0}, {2, 0}, {2, 100}, {0, 100}}}, 10, 0); }, 1},
        {"hachure two-point polygons", 2, [](Rough& r, Path& p) { r.hachure(p, {{{0, 0}, {50, 50}}}, 10, 0); }, 0},
        {"hachure gap 0", 2, [&](Rough& r, Path& p) { r.hachure(p, {kSquare}, 0, -41); }, 0},
        {"hachure gap -5", 2, [&](Rough& r, Path& p) { r.hachure(p, {kSquare}, -5, -41); }, 0},
        {"hachure gap NaN", 2, [&](Rough& r, Path& p) { r.hachure(p, {kSquare}, nan, -41); }, 0},
        {"catmull", 2, [&](Rough&, Path& p) { Rough::catmull(p, four); }, 0},
    };
    for (const auto& c : cases) {
        for (uint64_t seed : {0ull, 7ull, 0xFFFFFFFFFFFFFFFFull}) {
            Rough rough(seed, 1, 1.054, c.maxPasses, 0.62);
            Path path;
            c.draw(rough, path);
            EXPECT_EQ(rough.rnd, advanced(seed, c.draws)) << c.name << " seed " << seed;
        }
    }
}

TEST(Rough, EllipsePointsDrawOncePlusTwicePerPoint) {
    Rough rough = figure(3);
    Points pts = rough.ellipsePoints(6.283185307179586 / 9, 0, 0, 10, 10, 0.62, 0.1);
    // The lead-in point, nine around, then the overshoot and the two curl-in points.
    ASSERT_EQ(pts.size(), 13u);
    EXPECT_EQ(rough.rnd, advanced(3, 27));
}

// ---------------------------------------------------------------------------------------
// Exact values.

// lineOnce written out from its definition, draw by draw.
Path referenceLineOnce(uint64_t seed, double roughness, double maxOffset, double x1, double y1, double x2,
                       double y2, bool overlay) {
    Rng r(seed);
    auto s = [&r] { return 2 * r.unit() - 1; };
    const double len = std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
    const double L = len / 0.62;
    const double gain = L < 200 ? 1 : (L > 500 ? 0.4 : 1.233334 - 0.0016668 * L);
    const double k = gain * roughness;
    double o = len * len < 100 * (maxOffset * maxOffset) ? len / 10 : maxOffset;
    if (overlay) o /= 2;
    const double D = 0.2 + 0.2 * r.unit();
    const double bx = k * (maxOffset * (y2 - y1) / 200) * s();
    const double by = k * (maxOffset * (x1 - x2) / 200) * s();
    const double sx = x1 + k * o * s();
    const double sy = y1 + k * o * s();
    const double ex = x2 + k * o * s();
    const double ey = y2 + k * o * s();
    const double c1x = x1 + bx + (x2 - x1) * D + k * o * s();
    const double c1y = y1 + by + (y2 - y1) * D + k * o * s();
    const double c2x = x1 + bx + 2 * (x2 - x1) * D + k * o * s();
    const double c2y = y1 + by + 2 * (y2 - y1) * D + k * o * s();
    Path p;
    p.moveTo(sx, sy);
    p.curveTo({c1x, c1y}, {c2x, c2y}, {ex, ey});
    return p;
}

TEST(Rough, LineOnceMatchesItsDefinitionBitForBit) {
    struct Case {
        const char* name;
        double x1, y1, x2, y2;
        bool overlay;
    };
    const Case cases[] = {
        {"short, offset from length", 0, 0, 3, 4, true},
        {"full gain", 10, 20, 90, 70, false},
        {"gain falling with length", 10, 20, 250, 90, false},
        {"long, least gain", -40, 0, 400, 30, true},
        {"zero length", 5, 5, 5, 5, false},
    };
    for (const auto& c : cases) {
        for (double roughness : {0.9, 0.7, 0.0}) {
            Rough rough(11, roughness, 1.054, 2, 0.62);
            Path path;
            rough.lineOnce(path, c.x1, c.y1, c.x2, c.y2, c.overlay);
            EXPECT_EQ(path, referenceLineOnce(11, roughness, 1.054, c.x1, c.y1, c.x2, c.y2, c.overlay))
                << c.name << " roughness " << roughness;
        }
    }
}

TEST(Rough, ZeroLengthLineIsADegenerateStrokeAtThePoint) {
    Rough rough = figure(4);
    Path path;
    rough.lineOnce(path, 5, -3, 5, -3, false);
    ASSERT_EQ(path.elements().size(), 2u);
    EXPECT_EQ(path.elements()[0].verb, Verb::move);
    EXPECT_EQ(path.elements()[1].verb, Verb::cubic);
    for (const auto& e : path.elements())
        for (int i = 0; i < e.count(); ++i) EXPECT_EQ(e.pts[i], (Point{5, -3}));
}

TEST(Rough, WithoutRoughnessLinesAreStraightAndExact) {
    Rough rough = ruled(9);
    Path path;
    rough.line(path, 10, 20, 110, 70, 2);
    // Both strokes end exactly on the ends; their controls sit on the segment at D and 2D.
    Rng r(9);
    for (int stroke = 0; stroke < 2; ++stroke) {
        const double D = 0.2 + 0.2 * r.unit();
        for (int i = 0; i < 10; ++i) r.next();
        const auto& move = path.elements()[2 * stroke];
        const auto& cubic = path.elements()[2 * stroke + 1];
        EXPECT_EQ(move.pts[0], (Point{10, 20}));
        EXPECT_EQ(cubic.pts[2], (Point{110, 70}));
        EXPECT_EQ(cubic.pts[0], (Point{10 + 100 * D, 20 + 50 * D}));
        EXPECT_EQ(cubic.pts[1], (Point{10 + 2 * 100 * D, 20 + 2 * 50 * D}));
    }
}

TEST(Rough, WithoutRoughnessRectanglesAreExact) {
    Rough plain = ruled(1);
    Path p;
    plain.rect(p, 10, 20, 80, 40, false, 1);
    EXPECT_EQ(count(p, Verb::move), 4);
    EXPECT_EQ(count(p, Verb::cubic), 4);
    EXPECT_EQ(ends(p), (Points{{10, 20}, {90, 20}, {90, 20}, {90, 60}, {90, 60}, {10, 60}, {10, 60}, {10, 20}}));

    // r = min(0.25 × min(w, h), 14): 10 here; each corner is a quadratic from side to side.
    Rough rounded = ruled(1);
    Path q;
    rounded.rect(q, 10, 20, 80, 40, true, 1);
    ASSERT_EQ(count(q, Verb::quad), 4);
    std::vector<Path::Element> quads;
    for (const auto& e : q.elements())
        if (e.verb == Verb::quad) quads.push_back(e);
    EXPECT_EQ(quads[0].pts[0], (Point{90, 20}));  // control at the corner
    EXPECT_EQ(quads[0].pts[1], (Point{90, 30}));
    EXPECT_EQ(quads[1].pts[0], (Point{90, 60}));
    EXPECT_EQ(quads[1].pts[1], (Point{80, 60}));
    EXPECT_EQ(quads[2].pts[1], (Point{10, 50}));
    EXPECT_EQ(quads[3].pts[1], (Point{20, 20}));
    EXPECT_EQ(q.elements()[0].pts[0], (Point{20, 20}));  // the top side starts after the corner

    // The radius stops growing at 14.
    Rough big = ruled(1);
    Path b;
    big.rect(b, 0, 0, 200, 100, true, 1);
    EXPECT_EQ(b.elements()[0].pts[0], (Point{14, 0}));
}

TEST(Rough, RectanglePassesAndCorners) {
    struct Case {
        bool rounded;
        int passes;
        int strokes, quads;
    };
    const Case cases[] = {
        {false, 1, 4, 0}, {false, 2, 8, 0}, {true, 0, 4, 0}, {true, 1, 4, 4}, {true, 2, 8, 8}, {true, -2, 4, 0},
    };
    for (const auto& c : cases) {
        Rough rough = figure(5);
        Path p;
        rough.rect(p, 0, 0, 60, 30, c.rounded, c.passes);
        EXPECT_EQ(count(p, Verb::cubic), c.strokes) << c.rounded << " " << c.passes;
        EXPECT_EQ(count(p, Verb::quad), c.quads) << c.rounded << " " << c.passes;
        EXPECT_EQ(count(p, Verb::move), c.strokes + c.quads);
    }
}

TEST(Rough, CurvePointsAndTheirJitter) {
    const Points pts{{0, 0}, {30, 12}, {60, -5}, {90, 20}};
    Rough rough = ruled(2);
    Path path;
    rough.curve(path, pts, 1, 0.8);
    ASSERT_EQ(count(path, Verb::move), 1);
    EXPECT_EQ(ends(path), pts);
    // The first control leaves along the guide: p1 + (p2 − p0) / 6 with p0 = p1.
    EXPECT_EQ(path.elements()[1].pts[0], (Point{30.0 / 6, 12.0 / 6}));

    // With roughness each point moves by roughness × j × (2u − 1), x draw first; the
    // second pass jitters by 1.5 times as much.
    Rough maths(2, 0.7, 0.682, 2, 0.62);
    Path wobbly;
    maths.curve(wobbly, pts, 2, 0.8);
    Rng r(2);
    const double j1 = 0.8 * 0.62, j2 = 0.8 * 1.5 * 0.62;
    const double x1 = 0 + 0.7 * j1 * (2 * r.unit() - 1);
    const double y1 = 0 + 0.7 * j1 * (2 * r.unit() - 1);
    EXPECT_EQ(wobbly.elements()[0].pts[0], (Point{x1, y1}));
    for (int i = 0; i < 6; ++i) r.next();
    const double x2 = 0 + 0.7 * j2 * (2 * r.unit() - 1);
    const double y2 = 0 + 0.7 * j2 * (2 * r.unit() - 1);
    ASSERT_EQ(count(wobbly, Verb::move), 2);
    EXPECT_EQ(wobbly.elements()[4].pts[0], (Point{x2, y2}));
}

TEST(Rough, CurveOfTwoPointsIsALineAndIgnoresTheJitter) {
    Rough a = figure(8), b = figure(8);
    Path pa, pb;
    a.curve(pa, {{3, 4}, {70, 40}}, 2, 50);
    b.line(pb, 3, 4, 70, 40, 2);
    EXPECT_EQ(pa, pb);
    EXPECT_EQ(count(pa, Verb::cubic), 2);
}

TEST(Rough, EllipseStartsAtTheTopAndCurlsInPastIt) {
    const double cx = 50, cy = 40, w = 80, h = 60;
    Rough rough = ruled(6);
    Path path;
    rough.ellipse(path, cx, cy, w, h, 1);
    ASSERT_EQ(count(path, Verb::move), 1);
    const double s = -3.141592653589793 / 2;
    EXPECT_EQ(path.elements()[0].pts[0], (Point{cx + 1 * (w / 2) * std::cos(s), cy + 1 * (h / 2) * std::sin(s)}));

    // Without roughness the ellipse still overshoots: past the start by half the overlap,
    // then ends inside at 0.98 of the radius, a little right of the start.
    const Points e = ends(path);
    const Point last = e.back();
    const double nx = (last.x - cx) / (w / 2), ny = (last.y - cy) / (h / 2);
    EXPECT_NEAR(std::sqrt(nx * nx + ny * ny), 0.98, 1e-12);
    EXPECT_GT(last.x, cx);
    const Point over = e[e.size() - 2];
    const double ox = (over.x - cx) / (w / 2), oy = (over.y - cy) / (h / 2);
    EXPECT_NEAR(std::sqrt(ox * ox + oy * oy), 1, 1e-12);
    EXPECT_GT(over.x, cx);
    EXPECT_LT(over.x, last.x);
}

TEST(Rough, ArrowheadIsFourStrokesAndOnlyTheDirectionMatters) {
    Rough a(12, 0, 1.054, 1, 0.62), b(12, 0, 1.054, 1, 0.62);
    Path pa, pb;
    a.arrowhead(pa, 100, 50, 3, 0, 8);
    b.arrowhead(pb, 100, 50, 300, 0, 8);
    EXPECT_EQ(pa, pb);
    EXPECT_EQ(count(pa, Verb::move), 4);
    // Travelling right, the barbs point back left, 0.45 rad either side of the shaft.
    const Points e = ends(pa);
    for (size_t i = 1; i < e.size(); i += 2) {
        EXPECT_LT(e[i].x, 100);
        EXPECT_NEAR(std::fabs(std::atan2(e[i].y - 50, 100 - e[i].x)), 0.45, 1e-12);
    }
}

TEST(Rough, HachureRowsAreExactWithoutRoughness) {
    Rough rough = ruled(13);
    Path path;
    rough.hachure(path, {kSquare}, 10, 0);
    ASSERT_EQ(count(path, Verb::move), 10);
    Rng r(13);
    double y = 0 + 10 * (0.5 + 0.3 * r.unit());
    const Points e = ends(path);
    for (size_t row = 0; row < 10; ++row, y = y + 10) {
        EXPECT_EQ(e[2 * row], (Point{1, y}));  // pulled in by one point at each end
        EXPECT_EQ(e[2 * row + 1], (Point{99, y}));
    }
}

TEST(Rough, HachureAtAnAngleStaysInsideAndParallel) {
    const Points diamond{{50, 0}, {100, 50}, {50, 100}, {0, 50}};
    Rough rough = ruled(14);
    Path path;
    rough.hachure(path, {diamond}, 7, -41);
    ASSERT_GT(count(path, Verb::move), 8);
    const Points e = ends(path);
    const double phi = -41 * 3.141592653589793 / 180;
    for (size_t i = 0; i + 1 < e.size(); i += 2) {
        const Point a = e[i], b = e[i + 1];
        EXPECT_NEAR(std::atan2(b.y - a.y, b.x - a.x), phi, 1e-9);
        for (Point p : {a, b}) EXPECT_LE(std::fabs(p.x - 50) + std::fabs(p.y - 50), 50 + 1e-9);
    }
}

TEST(Rough, ThinKeepsEndsAndAPointPerStep) {
    struct Case {
        const char* name;
        Points in;
        double step;
        Points out;
    };
    const Case cases[] = {
        {"two points unchanged", {{0, 0}, {1, 1}}, 5, {{0, 0}, {1, 1}}},
        {"step longer than the line", {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 100, {{0, 0}, {3, 0}}},
        {"sum reaching the step keeps", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {10, 0}}, 2, {{0, 0}, {2, 0}, {10, 0}}},
        {"distances from the previous point", {{0, 0}, {3, 4}, {3, 5}, {3, 9}, {4, 9}}, 5,
         {{0, 0}, {3, 4}, {3, 9}, {4, 9}}},
    };
    for (const auto& c : cases) EXPECT_EQ(Rough::thin(c.in, c.step), c.out) << c.name;
}

TEST(Rough, SameSeedAndCallsGiveTheSamePath) {
    auto draw = [](uint64_t seed) {
        Rough rough = figure(seed);
        Path p;
        rough.line(p, 0, 0, 120, 30, 2);
        rough.ellipse(p, 60, 60, 90, 50, 2);
        rough.rect(p, 5, 5, 100, 60, true, 2);
        rough.curve(p, {{0, 0}, {20, 30}, {50, 10}}, 2, 1);
        rough.arrowhead(p, 50, 10, 1, -1, 6);
        rough.hachure(p, {kSquare}, 8, -41);
        return p;
    };
    EXPECT_EQ(draw(77), draw(77));
    EXPECT_FALSE(draw(77) == draw(78));
}

// ---------------------------------------------------------------------------------------
// Hostile numbers: every operation returns, and nothing non-finite reaches the path.

TEST(Rough, NonFiniteAndHugeInputsNeverHangOrLeaveNaN) {
    const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
    const double bad[] = {nan, inf, -inf, DBL_MAX, -DBL_MAX, 1e308, 1e200, -1e150, 1e-320};
    using Op = std::function<void(Rough&, Path&, const double*)>;
    const std::vector<std::pair<const char*, Op>> ops = {
        {"lineOnce", [](Rough& r, Path& p, const double* a) { r.lineOnce(p, a[0], a[1], a[2], a[3], false); }},
        {"line", [](Rough& r, Path& p, const double* a) { r.line(p, a[0], a[1], a[2], a[3], 2); }},
        {"curve", [](Rough& r, Path& p, const double* a) {
             r.curve(p, {{a[0], a[1]}, {a[2], a[3]}, {a[1], a[0]}, {a[3], a[2]}}, 2, a[4]);
         }},
        {"ellipse", [](Rough& r, Path& p, const double* a) { r.ellipse(p, a[0], a[1], a[2], a[3], 2); }},
        {"rect", [](Rough& r, Path& p, const double* a) { r.rect(p, a[0], a[1], a[2], a[3], false, 2); }},
        {"rounded rect", [](Rough& r, Path& p, const double* a) { r.rect(p, a[0], a[1], a[2], a[3], true, 2); }},
        {"arrowhead", [](Rough& r, Path& p, const double* a) { r.arrowhead(p, a[0], a[1], a[2], a[3], a[4]); }},
        {"hachure", [](Rough& r, Path& p, const double* a) {
             r.hachure(p, {{{a[0], a[1]}, {a[2], a[1]}, {a[2], a[3]}, {a[0], a[3]}}}, a[4], a[5]);
         }},
    };
    const double base[6] = {10, 20, 110, 80, 6, -41};
    for (const auto& [name, op] : ops) {
        for (int slot = 0; slot < 6; ++slot) {
            for (double v : bad) {
                double args[6];
                std::copy(base, base + 6, args);
                args[slot] = v;
                Rough rough = figure(1);
                Path path;
                op(rough, path, args);
                EXPECT_TRUE(allFinite(path)) << name << " arg " << slot << " = " << v;
            }
        }
        // A generator configured with absurd numbers is no worse.
        for (double v : {nan, inf, 1e20, 1e300}) {
            for (int which = 0; which < 2; ++which) {
                Rough rough(1, which == 0 ? v : 1, which == 1 ? v : 1.054, 2, 0.62);
                Path path;
                op(rough, path, base);
                EXPECT_TRUE(allFinite(path)) << name << (which ? " maxOffset " : " roughness ") << v;
            }
        }
    }
}

TEST(Rough, LoopsStayBoundedWhenTheirStepStopsAdvancing) {
    // A gap below the spacing of doubles at this height never moves the row forward.
    const double y0 = 1e6, y1 = std::nextafter(1e6, 2e6);
    Rough hatch = figure(2);
    Path p;
    hatch.hachure(p, {{{0, y0}, {50, y0}, {50, y1}, {0, y1}}}, 1e-12, 0);
    EXPECT_TRUE(allFinite(p));
    EXPECT_LE(count(p, Verb::move), Rough::kMaxHatchRows + 1);

    // A start angle so large that adding the increment changes nothing, and no increment.
    Rough wild(2, 1e20, 1.054, 2, 0.62);
    EXPECT_LE(wild.ellipsePoints(0.5, 0, 0, 10, 10, 0.62, 0).size(), size_t(Rough::kMaxEllipseSteps) + 5);
    Rough still = figure(2);
    EXPECT_LE(still.ellipsePoints(0, 0, 0, 10, 10, 0.62, 0).size(), size_t(Rough::kMaxEllipseSteps) + 5);

    // A huge but finite ellipse is capped in steps and leaves out what overflows.
    Rough huge = figure(2);
    Path e;
    huge.ellipse(e, 0, 0, 1e308, 1e308, 2);
    EXPECT_TRUE(allFinite(e));
    Path wide;
    Rough big = figure(2);
    big.ellipse(wide, 0, 0, 1e9, 10, 1);
    EXPECT_GT(count(wide, Verb::cubic), 4000);
    EXPECT_LE(count(wide, Verb::cubic), Rough::kMaxEllipseSteps + 2);
}

}  // namespace
