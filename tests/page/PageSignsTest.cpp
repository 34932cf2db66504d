#include "PageTestSupport.h"

#include "ink/Ink.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/StrokeOp.h"
#include "page/InkPatch.h"
#include "page/LiveStroke.h"
#include "page/PageGeometry.h"
#include "page/Presence.h"
#include "page/ReadingSweep.h"
#include "page/ThinkingMark.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

TEST(PageGeometry, CentredButNeverLeftOfTheView) {
    struct Case {
        double viewW, pageW, s, ox;
    };
    const Case cases[] = {
        {1000, 400, 1, 300}, {1000, 400, 2, 100}, {300, 400, 1, 0}, {800, 400, 2, 0},
        {std::nan(""), 400, 1, 0}, {1000, 400, INFINITY, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(PageGeometry::of(c.viewW, c.pageW, c.s).ox, c.ox) << c.viewW;
    EXPECT_EQ(PageGeometry::of(1000, 400, 2).toView({10, 20}), (Point{120, 40}));
}

TEST(ThinkingMark, FramedBesideTheThinkingPoint) {
    EXPECT_EQ(ThinkingMark::frame(10, 2, {50, 100}), (Rect{110, 193, 26, 26}));
}

TEST(ThinkingMark, StrokesAt85PercentScalingInFrom60) {
    const ThinkingMark mark{Color::hex(0x2430b0)};
    auto extent = [&](double presence, double* peak) {
        Canvas c(40, 40, 2);
        mark.draw(c.cr(), {7, 7, 26, 26}, 3.7, presence);
        EXPECT_EQ(cairo_status(c.cr()), CAIRO_STATUS_SUCCESS);
        double lo = 80, hi = 0;
        *peak = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 80; ++x) {
                const double a = c.pixel(x, y).a;
                *peak = std::max(*peak, a);
                if (a > 0) lo = std::min(lo, double(x)), hi = std::max(hi, double(x));
            }
        return hi - lo;
    };
    double peak = 0;
    const double whole = extent(1, &peak);
    EXPECT_NEAR(peak, 0.85, 1.5 / 255);  // one path: crossings are not darker
    const double half = extent(0.5, &peak);
    EXPECT_NEAR(peak, 0.425, 1.5 / 255);
    EXPECT_NEAR(half / whole, 0.8, 0.06);
    extent(0, &peak);
    EXPECT_EQ(peak, 0);
    // The star breathes: its radius at t differs from t + 0.65 (a quarter breath).
    const Rect a = ThinkingMark::strokes(26, 26, 0).boundingBox(), b = ThinkingMark::strokes(26, 26, 0.65).boundingBox();
    EXPECT_NE(a, b);
}

TEST(ReadingSweep, LinesUnderlinedOneAfterAnother) {
    ReadingSweep sweep{{{40, 100, 200, 18}, {40, 124, 180, 18}, {40, 148, 220, 18}}, 10, 1, {0, 0}};
    // One second in: the first line swept and faded to its floor, the second at progress
    // 0.818 (91 % of its length after easing), the third not started.
    auto u = sweep.underlines(11);
    ASSERT_EQ(u.size(), 2u);
    EXPECT_NEAR(u[0].reach, 1, 1e-12);
    EXPECT_NEAR(u[0].opacity, 0.385, 1e-12);
    EXPECT_NEAR(u[1].progress, 0.45 / 0.55, 1e-12);
    EXPECT_NEAR(u[1].reach, 0.9128, 1e-4);
    EXPECT_NEAR(u[1].opacity, 0.7, 1e-12);
    // The curve runs from 2 points before the line to m × (width + 4) past that, 3.5 under it.
    const Rect first = u[0].path.boundingBox();
    EXPECT_NEAR(first.minX(), 38, 1e-9);
    EXPECT_NEAR(first.maxX(), 38 + 204, 1e-9);
    EXPECT_NEAR(first.minY(), 121.5, 1e-9);
    // Mid-fade: progress 1.1 gives 0.7 × (1 − 0.12).
    EXPECT_NEAR(sweep.underlines(10 + 0.55 * 1.1)[0].opacity, 0.7 * 0.88, 1e-12);
    // Nothing before the start; still changing until the last line has faded.
    EXPECT_TRUE(sweep.underlines(9.9).empty());
    EXPECT_TRUE(sweep.animating(9.9));
    EXPECT_TRUE(sweep.animating(11));
    EXPECT_FALSE(sweep.animating(10 + 1.1 + 0.55 * 1.375 + 1e-9));
}

TEST(ReadingSweep, DrawsAtItsScaleAndOrigin) {
    ReadingSweep sweep{{{10, 10, 60, 10}}, 0, 2, {30, 0}};
    Canvas c(200, 60);
    sweep.draw(c.cr(), 5);
    // The swept underline of page y 23.5...24.1 lies at view y ≈ 48, from x 30 + 2·8 on.
    const Color px = c.pixel(100, 48);
    EXPECT_GT(px.a, 0.2);
    EXPECT_NEAR(px.r, Ink::pencil.r, 2 / 255.0);
    Canvas early(200, 60);
    sweep.draw(early.cr(), -1);
    EXPECT_TRUE(blank(early));
}

TEST(LiveStroke, PenOpaqueMarkerMultiplied) {
    Path square;
    square.addRect({0, 0, 10, 10});
    const Color pen = Color::hex(0x1c4cd6);
    auto paint = [&](bool marker) {
        auto c = std::make_unique<Canvas>(40, 40);
        c->fill(Ink::paper);
        LiveStroke{square, marker, std::string("pink"), pen, 2, 10}.draw(c->cr());
        return c;
    };
    auto withPen = paint(false);
    EXPECT_EQ(withPen->pixel(20, 10).hexString(), pen.hexString());  // page (5, 5) at (10 + 10, 10)
    EXPECT_EQ(withPen->pixel(5, 10).hexString(), Ink::paper.hexString());
    auto withMarker = paint(true);
    const Color m = Ink::marker(std::string("pink")), got = withMarker->pixel(20, 10);
    // 75 % of paper × marker over 25 % of the paper itself.
    EXPECT_NEAR(got.r, 0.25 * Ink::paper.r + 0.75 * Ink::paper.r * m.r, 1.5 / 255);
    EXPECT_NEAR(got.g, 0.25 * Ink::paper.g + 0.75 * Ink::paper.g * m.g, 1.5 / 255);
    EXPECT_NEAR(got.b, 0.25 * Ink::paper.b + 0.75 * Ink::paper.b * m.b, 1.5 / 255);
    Canvas none(20, 20);
    LiveStroke{std::nullopt, false, std::nullopt, pen, 1, 0}.draw(none.cr());
    EXPECT_TRUE(blank(none));
}

TEST(InkPatch, OneCanvasAroundTheOperationsGrownBySix) {
    Path square;
    square.addRect({0, 0, 10, 10});
    auto op = std::make_shared<const FillOp>(square, Ink::ink);
    const InkPatch patch{{op}, 3, 2, {0, 0}};
    EXPECT_EQ(patch.box(), (Rect{-6, -6, 22, 22}));
    EXPECT_EQ(patch.frame(), (Rect{-12, -12, 44, 44}));
    EXPECT_EQ((InkPatch{{op}, 3, 2, {50, 0}}.frame()), (Rect{38, -12, 44, 44}));
    // Operations without bounds show nothing.
    auto empty = std::make_shared<const FillOp>(Path{}, Ink::ink);
    EXPECT_TRUE((InkPatch{{empty, empty}, 0, 1, {}}.frame().isNull()));
    EXPECT_TRUE((InkPatch{{}, 0, 1, {}}.frame().isNull()));
    EXPECT_TRUE((InkPatch{{op}, 0, std::nan(""), {}}.frame().isNull()));

    Canvas c(60, 60);
    InkPatch{{op}, 3, 2, {20, 20}}.draw(c.cr());
    EXPECT_EQ(c.pixel(30, 30).hexString(), Ink::ink.hexString());  // page (5, 5)
    EXPECT_EQ(c.pixel(45, 45).a, 0);

    // Compared by count, version, scale and origin only.
    auto other = std::make_shared<const FillOp>(square, Ink::learner);
    EXPECT_EQ(patch, (InkPatch{{other}, 3, 2, {0, 0}}));
    EXPECT_NE(patch, (InkPatch{{op, op}, 3, 2, {0, 0}}));
    EXPECT_NE(patch, (InkPatch{{op}, 4, 2, {0, 0}}));
    EXPECT_NE(patch, (InkPatch{{op}, 3, 1, {0, 0}}));
    EXPECT_NE(patch, (InkPatch{{op}, 3, 2, {0, 1}}));
}

TEST(Presence, EntersAndLeavesOnTheClock) {
    Presence p(0.25, TimingFunction::linear());
    EXPECT_EQ(p.amount(0), 0);
    EXPECT_FALSE(p.visible(0));
    p.set(true, 10);
    EXPECT_EQ(p.amount(10.125), 0.5);
    EXPECT_TRUE(p.animating(10.125));
    EXPECT_EQ(p.amount(10.25), 1);
    EXPECT_FALSE(p.animating(11));
    // Leaving midway turns back from where it was.
    p.set(false, 20);
    p.set(true, 20.0625);
    EXPECT_EQ(p.amount(20.0625), 0.75);
    EXPECT_EQ(p.amount(20.125), 1);
    p.set(true, 30);  // already shown: nothing restarts
    EXPECT_EQ(p.amount(30), 1);
    // Eased on its curve.
    Presence eased(0.25);
    eased.set(true, 0);
    EXPECT_NEAR(eased.amount(0.0625), Presence::kEaseInOut(0.25), 1e-12);
}
