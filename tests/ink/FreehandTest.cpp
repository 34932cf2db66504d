#include "ink/Freehand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace nolby;
using Freehand::Options;
using Freehand::Sample;

namespace {

// Constant width, no smoothing, no tapers unless a case asks for them.
Options plain(double size) { return Options{size, 0, 0, 0, 0, 0.25, false}; }

std::vector<Sample> line(double x0, double x1, double step, double y, double pressure = 0.5) {
    std::vector<Sample> out;
    for (double x = x0; x <= x1 + 1e-9; x += step) out.push_back({{x, y}, pressure});
    return out;
}

// An outline of m samples is: move to A[0], lines to A[1...], 8 cap lines, lines to
// B[m−1...0], 8 cap lines, close.
size_t sampleCount(const Path& p) { return (p.elements().size() - 17) / 2; }

Point sideA(const Path& p, size_t j) { return p.elements()[j].pts[0]; }
Point sideB(const Path& p, size_t j) {
    size_t m = sampleCount(p);
    return p.elements()[m + 8 + (m - 1 - j)].pts[0];
}

bool allFinite(const Path& p) {
    for (const auto& e : p.elements())
        for (int i = 0; i < e.count(); ++i)
            if (!std::isfinite(e.pts[i].x) || !std::isfinite(e.pts[i].y)) return false;
    return true;
}

}  // namespace

TEST(Freehand, NoSamplesIsEmptyAndAStillPenIsADot) {
    EXPECT_TRUE(Freehand::outline({}, plain(4)).isEmpty());
    struct Case {
        std::vector<Sample> samples;
        const char* what;
    };
    const Case cases[] = {
        {{{{10, 20}, 0.5}}, "one sample"},
        {{{{10, 20}, 0.9}, {{10.59, 20}, 0.1}, {{10, 20.59}, 0.5}, {{9.6, 19.6}, 0.5}}, "all within 0.6"},
        {{{{10, 20}, 0.5}, {{10, 20}, 0.5}}, "two on one spot"},
    };
    for (const Case& c : cases) {
        Path dot = Freehand::outline(c.samples, Options{4, 0.55, 0.42, 6, 8, 0.25, true});
        Rect b = dot.boundingBox();
        EXPECT_NEAR(b.x, 10 - 2.48, 1e-9) << c.what;
        EXPECT_NEAR(b.y, 20 - 2.48, 1e-9) << c.what;
        EXPECT_NEAR(b.w, 4.96, 1e-9) << c.what;
        EXPECT_NEAR(b.h, 4.96, 1e-9) << c.what;
    }
    // A sample just beyond 0.6: the pen moved.
    Path moved = Freehand::outline({{{10, 20}, 0.5}, {{10.61, 20}, 0.5}}, plain(4));
    EXPECT_EQ(sampleCount(moved), 2u);
}

TEST(Freehand, TwoSamplesAreNotResampledAndGetBothCaps) {
    Path p = Freehand::outline({{{0, 0}, 0.5}, {{10, 0}, 0.5}}, plain(4));
    ASSERT_EQ(p.elements().size(), 21u);
    EXPECT_EQ(p.elements()[0].verb, Path::Verb::move);
    EXPECT_EQ(p.elements()[20].verb, Path::Verb::close);
    EXPECT_EQ(sideA(p, 0), (Point{0, 2}));
    EXPECT_EQ(sideA(p, 1), (Point{10, 2}));
    EXPECT_EQ(sideB(p, 1), (Point{10, -2}));
    EXPECT_EQ(sideB(p, 0), (Point{0, -2}));
    // The caps bulge outward, round the ends: half circles of radius 2.
    Point endTip = p.elements()[2 + 3].pts[0], startTip = p.elements()[12 + 3].pts[0];
    EXPECT_NEAR(endTip.x, 12, 1e-9);
    EXPECT_NEAR(endTip.y, 0, 1e-9);
    EXPECT_NEAR(startTip.x, -2, 1e-9);
    EXPECT_NEAR(startTip.y, 0, 1e-9);
    Rect b = p.boundingBox();
    EXPECT_NEAR(b.x, -2, 1e-9);
    EXPECT_NEAR(b.w, 14, 1e-9);
    EXPECT_NEAR(b.h, 4, 1e-9);
}

TEST(Freehand, ResamplePassesThroughEverySampleAboutSpacingApart) {
    std::vector<Sample> two{{{0, 0}, 0.2}, {{50, 0}, 0.8}};
    EXPECT_EQ(Freehand::resample(two, 1.4), two);

    // Segments of 14, 7 and 1: 10, 5 and 1 steps.
    std::vector<Sample> s{{{0, 0}, 0}, {{14, 0}, 1}, {{14, 7}, 0.5}, {{15, 7}, 0.5}};
    auto r = Freehand::resample(s, 1.4);
    ASSERT_EQ(r.size(), 1u + 10 + 5 + 1);
    for (size_t i : {0, 10, 15, 16}) {
        const Sample& want = s[i == 0 ? 0 : i == 10 ? 1 : i == 15 ? 2 : 3];
        EXPECT_NEAR(r[i].point.x, want.point.x, 1e-9) << i;
        EXPECT_NEAR(r[i].point.y, want.point.y, 1e-9) << i;
        EXPECT_NEAR(r[i].pressure, want.pressure, 1e-12) << i;
    }
    EXPECT_NEAR(r[5].pressure, 0.5, 1e-12);  // pressure runs linearly along a segment

    // Between evenly spaced samples of a straight line the curve is the line itself (the
    // end segments bend, their outer neighbour being the end sample itself).
    auto even = Freehand::resample(line(0, 42, 14, 3), 1.4);
    ASSERT_EQ(even.size(), 31u);
    for (size_t i = 10; i <= 20; ++i) {
        EXPECT_NEAR(even[i].point.x, 1.4 * i, 1e-9);
        EXPECT_NEAR(even[i].point.y, 3, 1e-12);
    }
}

TEST(Freehand, RadiusFollowsPressureAndThinning) {
    struct Case {
        double size, thinning, pressure, radius;
    };
    const Case cases[] = {
        {10, 0.55, 1, 7.75}, {10, 0.55, 0.5, 5},  {10, 0.55, 0, 2.25},
        {10, 0, 1, 5},       {10, 0, 0, 5},        // no thinning: constant width
        {1, 0.55, 0, 0.35},  {0, 0.55, 1, 0.35},   // never thinner than 0.35
        {10, 0.55, 7, 7.75},                       // pressures beyond 1 count as 1
    };
    for (const Case& c : cases) {
        Options o = plain(c.size);
        o.thinning = c.thinning;
        Path p = Freehand::outline(line(0, 40, 2, 0, c.pressure), o);
        size_t m = sampleCount(p);
        ASSERT_GT(m, 20u);
        for (size_t j = 0; j < m; ++j) EXPECT_NEAR(sideA(p, j).y, c.radius, 1e-9) << c.size << " " << c.pressure;
    }
}

TEST(Freehand, SimulatedPressureMakesASlowPenThickAndAFastPenThin) {
    // Resampling evens out steps longer than 1.4, so speed shows below that.
    Options o = plain(4);
    o.thinning = 0.55;
    o.simulatePressure = true;
    auto settled = [&](double step) {
        Path p = Freehand::outline(line(0, 60, step, 0, 0.9), o);
        return sideA(p, sampleCount(p) - 2).y;
    };
    double slow = settled(0.3), fast = settled(1.3);
    EXPECT_GT(slow, fast);
    // Settled: target 1 − step / (1.6 · size), radius size · (0.5 − thinning · (0.5 − target)).
    EXPECT_NEAR(slow, 4 * (0.5 - 0.55 * (0.5 - (1 - 0.3 / 6.4))), 1e-6);
    EXPECT_NEAR(fast, 4 * (0.5 - 0.55 * (0.5 - (1 - 1.3 / 6.4))), 1e-6);
}

TEST(Freehand, TapersNarrowBothEndsDownToTheirFloors) {
    Options o = plain(10);
    o.taperStart = 6;
    o.taperEnd = 8;
    Path p = Freehand::outline(line(0, 100, 2, 0), o);
    size_t m = sampleCount(p);
    EXPECT_NEAR(sideA(p, 0).y, 5 * 0.25, 1e-9);      // start floor
    EXPECT_NEAR(sideA(p, m - 1).y, 5 * 0.3, 1e-9);   // end floor: taperFloor + 0.05
    EXPECT_NEAR(sideA(p, m / 2).y, 5, 1e-9);

    // A stroke shorter than either taper: both apply to the same samples.
    Path s = Freehand::outline({{{0, 0}, 0.5}, {{2, 0}, 0.5}, {{4, 0}, 0.5}}, o);
    ASSERT_EQ(sampleCount(s), 3u);
    const double rad[] = {
        5 * 0.25 * std::sin(M_PI / 4),
        5 * std::sin(M_PI / 6) * std::sin(M_PI / 8),
        5 * std::sin(M_PI / 3) * 0.3,
    };
    for (size_t j = 0; j < 3; ++j) EXPECT_NEAR(sideA(s, j).y, rad[j], 1e-9) << j;
}

TEST(Freehand, StreamlineLagsBehindThePenButEndsOnIt) {
    Options o = plain(2);
    o.streamline = 0.5;
    // Each smoothed point goes half way: 0, 4, 6, 7, then the last sample 8 itself.
    Path p = Freehand::outline({{{0, 0}, 0.5}, {{8, 0}, 0.5}, {{8, 0}, 0.5}, {{8, 0}, 0.5}}, o);
    size_t m = sampleCount(p);
    EXPECT_NEAR(sideA(p, m - 1).x, 8, 1e-9);
    EXPECT_EQ(m, 1u + 2 + 1 + 1 + 1);  // 4 → 2 steps, then 1 each
}

TEST(Freehand, AStrokeThatTurnsBackStillHasANormalAtTheTurn) {
    Path p = Freehand::outline({{{0, 0}, 0.5}, {{5, 0}, 0.5}, {{0, 0}, 0.5}}, plain(4));
    ASSERT_TRUE(allFinite(p));
    // The turn is sample 3: its neighbours coincide, so the normal is (0, 1).
    size_t turn = 3;
    EXPECT_NEAR(sideA(p, turn).x, sideB(p, turn).x, 1e-9);
    EXPECT_NEAR(sideA(p, turn).y - sideB(p, turn).y, 4, 1e-9);
    EXPECT_NEAR(sideA(p, turn).x, 5, 1e-9);
}

TEST(Freehand, CapsBulgeOutwardAndSkipNoRadius) {
    Path up, down, none;
    up.moveTo(1, 0);
    Freehand::cap(up, {0, 0}, {1, 0}, {0, 1});
    down.moveTo(1, 0);
    Freehand::cap(down, {0, 0}, {1, 0}, {0, -1});
    ASSERT_EQ(up.elements().size(), 9u);
    EXPECT_NEAR(up.elements()[4].pts[0].y, 1, 1e-12);
    EXPECT_NEAR(down.elements()[4].pts[0].y, -1, 1e-12);
    EXPECT_NEAR(up.elements()[8].pts[0].x, -1, 1e-12);
    none.moveTo(0, 0);
    Freehand::cap(none, {0, 0}, {0.01, 0}, {1, 0});
    EXPECT_EQ(none.elements().size(), 1u);
}

TEST(Freehand, DamagedSamplesAndOptionsGiveABoundedFiniteOutline) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    Options pen{8, 0.55, 0.42, 6, 8, 0.25, false};
    // Non-numbers are dropped.
    Path dropped = Freehand::outline({{{nan, 0}, 0.5}, {{0, inf}, 0.5}, {{3, 3}, 0.5}}, pen);
    EXPECT_NEAR(dropped.boundingBox().midX(), 3, 1e-9);
    // Far-off samples are brought within reach and resampled within a budget.
    std::vector<Sample> far;
    for (int i = 0; i < 200; ++i) far.push_back({{i % 2 ? 1e300 : -1e300, i * 1e7}, i % 2 ? inf : nan});
    Path wild = Freehand::outline(far, pen);
    EXPECT_TRUE(allFinite(wild));
    EXPECT_LT(wild.elements().size(), 300000u);
    // A width that is not a number draws the thinnest pen.
    Path thin = Freehand::outline(line(0, 20, 2, 0), Options{nan, 0, 0, 0, 0, 0.25, false});
    EXPECT_TRUE(allFinite(thin));
    EXPECT_NEAR(sideA(thin, 3).y, 0.35, 1e-12);
}
