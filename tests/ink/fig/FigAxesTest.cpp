#include "FigTestSupport.h"

#include "ink/Ink.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace nolby;
using namespace nolby::testing;

namespace {

std::vector<const StrokeOp*> strokes(const std::vector<InkOpRef>& ops) { return all<StrokeOp>(ops); }

// The handwritten words, kept alive with their operations.
std::vector<InkOpRef> phrases(const std::vector<InkOpRef>& ops) {
    std::vector<InkOpRef> out;
    for (const auto& op : ops)
        if (as<PhraseOp>(op)) out.push_back(op);
    return out;
}

// Page x and y of a figure point.
double px(double x) { return kOx + x * kK; }
double py(double y) { return kOy + y * kK; }

// The extent of the flattened stroke, without the pen's width.
Rect inkOf(const StrokeOp& s) {
    Rect r = Rect::null();
    for (const auto& line : s.lines())
        for (const Point& p : line) r = r.united(Rect{p.x, p.y, 0, 0});
    return r;
}

Rect boundsOf(const std::vector<InkOpRef>& ps) {
    Rect r = Rect::null();
    for (auto p : ps) r = r.united(p->bounds());
    return r;
}

std::optional<Fig::Sampled> sampled(const std::string& item) {
    auto fig = makeFig();
    return fig->sample(J(nlohmann::json::parse(item)));
}

const char* const kNear = R"({"k":"plot","f":"x","x0":-1,"x1":3,"y0":-2,"y1":2,"box":[13.9,1.1,85.9,34.1]})";

}  // namespace

TEST(FigAxes, BoxOf) {
    struct Case {
        const char* item;
        std::optional<Fig::Box> box;
    } cases[] = {
        {R"({"box":[1,2,3,4,5]})", Fig::Box{1, 2, 3, 4}},
        {R"({"box":[1,"x",2,3,4]})", Fig::Box{1, 2, 3, 4}},  // non-numbers are skipped
        {R"({"box":[5000,-5000,"7",null,1e300]})", Fig::Box{1000, -1000, 7, 1000}},
        {R"({"box":[1,2,3],"x":5,"w":20})", Fig::Box{5, 0, 20, 30}},  // too short: x, y, w, h
        {R"({"x":5,"y":6,"w":20,"h":7})", Fig::Box{5, 6, 20, 7}},
        {R"({"x":"a","w":20})", Fig::Box{0, 0, 20, 30}},
        {R"({"x":5,"y":6,"h":7})", std::nullopt},  // no width: no box
        {R"({"w":5})", std::nullopt},
        {R"({"x":null,"w":5})", std::nullopt},
        {R"({})", std::nullopt},
    };
    auto fig = makeFig();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        EXPECT_EQ(fig->boxOf(J(nlohmann::json::parse(c.item))), c.box);
    }
}

TEST(FigAxes, SamplesAndRanges) {
    // 221 samples with both ends included.
    auto s = sampled(R"({"f":"x^2","x0":-2,"x1":2,"y0":-1,"y1":5})");
    ASSERT_TRUE(s);
    ASSERT_EQ(s->xs.size(), 221u);
    ASSERT_EQ(s->ys.size(), 221u);
    EXPECT_EQ(s->xs.front(), -2);
    EXPECT_EQ(s->xs[110], 0);
    EXPECT_EQ(s->xs.back(), 2);
    EXPECT_EQ(s->ys.front(), 4);
    EXPECT_EQ(s->y0, -1);
    EXPECT_EQ(s->y1, 5);

    struct Case {
        const char* item;
        double y0, y1;
    } ranged[] = {
        {R"({"f":"x"})", -0.1, 1.1},                   // 10 % margin both ways, x over 0 … 1
        {R"({"f":"x","y0":-3})", -0.1, 1.1},           // one given end alone is ignored
        {R"({"f":"x","y0":-3,"y1":"big"})", -0.1, 1.1},
        {R"({"f":"x","y0":"2","y1":-3})", 2, -3},     // given ends are kept, even reversed
        {R"({"f":"3"})", 3 - 1e-6 * 0.1, 3 + 1e-6 * 0.1},  // a constant gets ±1e-7
        {R"j({"f":"sqrt(x)","x0":-1,"x1":1})j", -0.1, 1.1},  // only the finite values count
    };
    for (const Case& c : ranged) {
        SCOPED_TRACE(c.item);
        auto r = sampled(c.item);
        ASSERT_TRUE(r);
        EXPECT_DOUBLE_EQ(r->y0, c.y0);
        EXPECT_DOUBLE_EQ(r->y1, c.y1);
    }

    const char* none[] = {
        R"({})",                                 // no formula
        R"({"f":"y"})",                          // not a formula
        R"({"f":"x","x0":2,"x1":2})",            // empty x range
        R"({"f":"x","x0":-1e308,"x1":1e308})",   // x range overflows
        R"j({"f":"sqrt(-1-x)"})j",                 // nowhere finite
        R"({"f":"x","y0":1,"y1":1})",            // empty y range
        R"({"f":"x","y0":-1e308,"y1":1e308})",   // y range overflows
        R"({"f":"1e300*10^x","x0":8,"x1":9})",   // values too spread to range
    };
    for (const char* item : none) {
        SCOPED_TRACE(item);
        EXPECT_FALSE(sampled(item));
    }
}

TEST(FigAxes, PlotBreaksWhereTheFormulaIsUndefinedOrLeavesTheWindow) {
    // 1/x over -2 … 2 in ±5: breaks at the pole (the samples near 0 leave the window; the one
    // at 0 is infinite). The left curve ends at x = -0.2 (box x 46), the right starts at 54.
    auto ops = drawn(R"([{"k":"plot","f":"1/x","x0":-2,"x1":2,"y0":-5,"y1":5,"box":[10,5,80,30]}])");
    ASSERT_EQ(ops.size(), 1u);
    auto s = as<StrokeOp>(ops[0]);
    ASSERT_TRUE(s);
    EXPECT_EQ(subpaths(s->path), 2);
    for (const auto& line : s->lines())
        for (const Point& p : line) EXPECT_TRUE(p.x < px(46.5) || p.x > px(53.5)) << p.x;
    const Rect ink = inkOf(*s);
    EXPECT_NEAR(ink.minX(), px(10), 1);
    EXPECT_NEAR(ink.maxX(), px(90), 1);
    EXPECT_GE(ink.minY(), py(5 - 30 * 0.02) - 1);  // within the window's 2 % slack
    EXPECT_LE(ink.maxY(), py(35 + 30 * 0.02) + 1);

    // The square root starts at x = 0, in the middle of the box.
    auto root = drawn(R"([{"k":"plot","f":"sqrt x","x0":-1,"x1":1,"box":[10,5,80,30]}])");
    ASSERT_EQ(root.size(), 1u);
    auto r = sampled(R"({"f":"sqrt x","x0":-1,"x1":1})");
    EXPECT_EQ(std::count_if(r->ys.begin(), r->ys.end(), [](double y) { return !std::isfinite(y); }), 110);
    EXPECT_NEAR(inkOf(*as<StrokeOp>(root[0])).minX(), px(50), 1);
    EXPECT_EQ(subpaths(as<StrokeOp>(root[0])->path), 1);

    // Leaving the given range cuts the curve: x over 0 … 1 shown up to 0.5 (+2 % slack).
    auto cut = drawn(R"([{"k":"plot","f":"x","y0":0,"y1":0.5,"box":[10,5,80,30]}])");
    ASSERT_EQ(cut.size(), 1u);
    const double last = 112.0 / 220;  // the last sample at or below 0.51
    EXPECT_NEAR(inkOf(*as<StrokeOp>(cut[0])).maxX(), px(10 + 80 * last), 0.5);
    EXPECT_NEAR(inkOf(*as<StrokeOp>(cut[0])).minY(), py(5 + (1 - last / 0.5) * 30), 0.5);

    // A lone finite sample between breaks is no curve; nor is a formula that never parses.
    EXPECT_TRUE(drawn(R"j([{"k":"plot","f":"sqrt(-(x-0.5)^2)"}])j").empty());
    EXPECT_TRUE(drawn(R"([{"k":"plot","f":"2|x|"}])").empty());
    EXPECT_TRUE(drawn(R"([{"k":"plot","f":"x","y0":3,"y1":4}])").empty());  // never in range
}

TEST(FigAxes, PlotPlacement) {
    // A constant lies across the middle of its box.
    auto flat = drawn(R"([{"k":"plot","f":"3","x":20,"y":10,"w":60,"h":20}])");
    ASSERT_EQ(flat.size(), 1u);
    const Rect f = inkOf(*as<StrokeOp>(flat[0]));
    EXPECT_NEAR(f.minX(), px(20), 1);
    EXPECT_NEAR(f.maxX(), px(80), 1);
    EXPECT_NEAR(f.midY(), py(20), 1);
    EXPECT_LT(f.height(), 2);

    // Without a box: 10, 5, 80, boxH - 10 (the test figure is 40 units tall). The rising
    // line runs from the bottom left to the top right, inside its 10 % margins.
    auto line = drawn(R"([{"k":"plot","f":"2x+1","w":7}])");
    ASSERT_EQ(line.size(), 1u);
    auto s = as<StrokeOp>(line[0]);
    const Rect l = inkOf(*s);
    EXPECT_NEAR(l.minX(), px(10), 1);
    EXPECT_NEAR(l.maxX(), px(90), 1);
    EXPECT_NEAR(l.minY(), py(5 + 30 * 0.1 / 1.2), 1);
    EXPECT_NEAR(l.maxY(), py(35 - 30 * 0.1 / 1.2), 1);
    // "w" is a width for plots: the pen is the figure's line width, a little heavier.
    EXPECT_DOUBLE_EQ(s->pen.width, 1.05 * kLine);
    EXPECT_EQ(s->pen.color, Ink::ink);
    EXPECT_EQ(s->pace(), 1);
    EXPECT_EQ(s->pause, 0.24);

    auto blue = drawn(R"([{"k":"plot","f":"x","c":"blue"}])");
    EXPECT_EQ(as<StrokeOp>(blue[0])->pen.color, Ink::color("blue", Ink::ink));

    // Huge coordinates and ranges stay finite.
    auto wild = drawn(R"([{"k":"plot","f":"tan x","x0":-1e300,"x1":1e300,"box":[-5000,5000,1e9,-1e9]}])");
    for (const auto& op : wild) EXPECT_TRUE(std::isfinite(op->bounds().width()));
}

TEST(FigAxes, AxesCrossAtTheDataZero) {
    struct Case {
        const char* ranges;
        double xa, ya;  // figure units; the box is 10, 5, 80, 40
    } cases[] = {
        {R"("x0":-2,"x1":2,"y0":-1,"y1":3)", 50, 35},  // half the width, three quarters down
        {R"("x0":1,"x1":2,"y0":1,"y1":3)", 10, 45},    // no zero inside: bottom left
        {R"("x0":0,"x1":2,"y0":-2,"y1":0)", 10, 45},   // a zero at the end is not inside
        {R"("x0":2,"x1":-2,"y0":3,"y1":-1)", 10, 45},  // reversed ranges
        {R"("x0":-3,"x1":1)", 70, 45},                 // y range not given
        {R"("x0":-1e308,"x1":1e308,"y0":-1e308,"y1":1e308)", 50, 25},  // halves without overflow
        {"", 10, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ranges);
        std::string item = R"({"k":"axes","ruled":true,"box":[10,5,80,40])";
        if (*c.ranges) item += std::string(",") + c.ranges;
        auto ops = drawn("[" + item + "}]");
        ASSERT_EQ(ops.size(), 2u);
        auto lines = as<StrokeOp>(ops[0]);
        ASSERT_EQ(lines->lines().size(), 2u);  // ruled: one straight stroke per axis
        const Rect xAxis = Fig::bounds(lines->lines()[0]), yAxis = Fig::bounds(lines->lines()[1]);
        EXPECT_NEAR(xAxis.minY(), py(c.ya), 1e-9);
        EXPECT_NEAR(xAxis.maxY(), py(c.ya), 1e-9);
        EXPECT_NEAR(xAxis.minX(), px(10) - 6 * kU, 1e-9);  // 6 text units past the tail
        EXPECT_NEAR(xAxis.maxX(), px(90) + 14 * kU, 1e-9);  // 14 past the head
        EXPECT_NEAR(yAxis.minX(), px(c.xa), 1e-9);
        EXPECT_NEAR(yAxis.maxY(), py(45) + 6 * kU, 1e-9);
        EXPECT_NEAR(yAxis.minY(), py(5) - 14 * kU, 1e-9);
        EXPECT_DOUBLE_EQ(lines->pen.width, 2.1 * kPw);
        EXPECT_EQ(subpaths(as<StrokeOp>(ops[1])->path), 8);  // two heads of two barbs, each twice
    }
    EXPECT_TRUE(drawn(R"([{"k":"axes","x0":-1,"x1":1}])").empty());  // no box
}

TEST(FigAxes, AxesBorrowTheRangesOfTheFirstPlotInTheirBox) {
    // Where the axes cross, in figure units, with the given items after the axes.
    auto crossing = [](const std::string& plots, const std::string& own = "") {
        auto ops = drawn(R"([{"k":"axes","ruled":true,"box":[10,5,80,40])" + own + "}," + plots + "]");
        auto lines = as<StrokeOp>(ops[0]);
        return Point{(Fig::bounds(lines->lines()[1]).minX() - kOx) / kK,
                     (Fig::bounds(lines->lines()[0]).minY() - kOy) / kK};
    };
    struct Case {
        std::string plots, own;
        Point at;
    } cases[] = {
        // x0 -1 … 3 puts x = 0 a quarter across; y0 -2 … 2 puts y = 0 half way down. The
        // plot may come later in the list and lie up to 4 (x, y) and 6 (w, h) units off.
        {kNear, "", {30, 25}},
        {R"({"k":"plot","f":"x","x0":-1,"x1":3,"y0":-2,"y1":2,"box":[14,5,80,40]})", "", {10, 45}},
        {R"({"k":"plot","f":"x","x0":-1,"x1":3,"y0":-2,"y1":2,"box":[10,5,80,46]})", "", {10, 45}},
        {R"({"k":"plot","f":"x","x0":-1,"x1":3,"y0":-2,"y1":2})", "", {10, 45}},  // no box
        // Only the first matching plot counts, even when its formula draws nothing.
        {R"({"k":"plot","f":"junk(","box":[10,5,80,40]},)" + std::string(kNear), "", {10, 45}},
        {R"({"k":"plot","f":"x","x0":-3,"x1":1,"y0":-1,"y1":3,"box":[10,5,80,40]},)" + std::string(kNear), "",
         {70, 35}},
        // The axes' own range wins over the plot's, key by key.
        {kNear, R"(,"x0":-3,"x1":1)", {70, 25}},
        // An automatic range: x over 0 … 1 does not span 0, the values of x - 0.5 do.
        {R"({"k":"plot","f":"x-0.5","box":[10,5,80,40]})", "", {10, 25}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.plots + c.own);
        const Point p = crossing(c.plots, c.own);
        EXPECT_NEAR(p.x, c.at.x, 1e-9);
        EXPECT_NEAR(p.y, c.at.y, 1e-9);
    }
}

TEST(FigAxes, AxisNamesAreGrey) {
    auto ops = drawn(R"([{"k":"axes","box":[10,5,80,30],"c":"red","xl":"time","yl":"speed"}])");
    auto ss = strokes(ops);
    ASSERT_EQ(ss.size(), 2u);
    EXPECT_EQ(ss[0]->pen.color, Ink::color("red", Ink::ink));
    EXPECT_EQ(ss[1]->pen.color, Ink::color("red", Ink::ink));
    auto ps = phrases(ops);
    ASSERT_FALSE(ps.empty());
    for (const auto& p : ps)
        for (const auto& run : as<PhraseOp>(p)->runs) EXPECT_EQ(run.color, Ink::grey);

    // A blank name draws nothing; each name alone is one piece of writing.
    auto none = drawn(R"([{"k":"axes","box":[10,5,80,30],"xl":"  \n","yl":""}])");
    EXPECT_EQ(none.size(), 2u);
    auto xOnly = phrases(drawn(R"([{"k":"axes","box":[10,5,80,30],"xl":"time"}])"));
    auto yOnly = phrases(drawn(R"([{"k":"axes","box":[10,5,80,30],"yl":"speed"}])"));
    ASSERT_FALSE(xOnly.empty());
    ASSERT_FALSE(yOnly.empty());
    // The x name sits under the x axis, ending near the box's right edge; the y name starts
    // beside the y axis, above the box.
    const Rect xr = boundsOf(xOnly), yr = boundsOf(yOnly);
    EXPECT_GT(xr.minY(), py(35));
    EXPECT_NEAR(xr.maxX(), px(91.5), 4);
    EXPECT_LT(yr.maxY(), py(5) + 2);
    EXPECT_NEAR(yr.minX(), px(12), 4);
}

TEST(FigAxes, BracesBulgeOutwardWhicheverWayTheyRun) {
    const double L = 60 * kK, d = std::min(0.12 * L, 22 * kU);
    struct Case {
        const char* ends;
        double depthX, depthY;  // where the tip points
    } cases[] = {
        {R"("x1":20,"y1":20,"x2":80,"y2":20)", 0, 1},
        {R"("x1":80,"y1":20,"x2":20,"y2":20)", 0, 1},
        {R"("x1":50,"y1":-20,"x2":50,"y2":40)", 1, 0},
        {R"("x1":50,"y1":40,"x2":50,"y2":-20)", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ends);
        auto ops = drawn(std::string(R"([{"k":"brace",)") + c.ends + "}]");
        ASSERT_EQ(ops.size(), 1u);
        const Rect ink = inkOf(*as<StrokeOp>(ops[0]));
        if (c.depthY) {
            EXPECT_NEAR(ink.minY(), py(20), 1.5);
            EXPECT_NEAR(ink.maxY(), py(20) + d, 1.5);
        } else {
            EXPECT_NEAR(ink.minX(), px(50), 1.5);
            EXPECT_NEAR(ink.maxX(), px(50) + d, 1.5);
        }
    }
    // Shorter than 10 text units: nothing. The stroke weight is a factor like a line's.
    EXPECT_TRUE(drawn(R"([{"k":"brace","x1":10,"x2":11.5}])").empty());
    auto shortest = drawn(R"([{"k":"brace","x1":10,"x2":11.6,"w":9}])");
    ASSERT_EQ(shortest.size(), 1u);
    EXPECT_DOUBLE_EQ(as<StrokeOp>(shortest[0])->pen.width, 0.9 * 3 * kLine);
}

TEST(FigAxes, BraceStrokesAreTheTwoHalves) {
    auto fig = makeFig(11);
    Rough rough = fig->rough;
    fig->draw(nlohmann::json::parse(R"([{"k":"brace","x1":80,"y1":30,"x2":20,"y2":10,"c":"green"}])"));
    ASSERT_EQ(fig->ops.size(), 1u);

    const Point P1{px(80), py(30)}, P2{px(20), py(10)}, D = P2 - P1;
    const double L = std::sqrt(D.x * D.x + D.y * D.y), d = std::min(0.12 * L, 22 * kU);
    const Point N{D.y / L, -D.x / L};  // (-D.y, D.x) / L points up here, so it turns round
    ASSERT_GT(N.y, 0);
    const Point mid = P1 + 0.5 * D, tip = mid + d * N;
    auto at = [&](double t, double lift) { return P1 + t * D + (lift * d) * N; };
    Path expected;
    rough.curve(expected, {P1, at(0.04, 0.5), at(0.25, 0.5), at(0.46, 0.55), tip}, 1, 0.3);
    rough.curve(expected, {tip, at(0.54, 0.55), at(0.75, 0.5), at(0.96, 0.5), P2}, 1, 0.3);
    auto s = as<StrokeOp>(fig->ops[0]);
    EXPECT_EQ(s->path, expected);
    EXPECT_EQ(s->pen, Pen::usual(Ink::color("green", Ink::ink), 0.9 * kLine));
    EXPECT_EQ(fig->rough.rnd, rough.rnd);  // nothing else drew
}

TEST(FigAxes, BraceLabels) {
    // Under a horizontal brace the label is centred under the tip, 8 text units beyond it.
    const double d = std::min(0.12 * 60 * kK, 22 * kU);
    auto under = drawn(R"([{"k":"brace","x1":20,"y1":10,"x2":80,"y2":10,"text":"six"}])");
    auto ps = phrases(under);
    ASSERT_FALSE(ps.empty());
    const Rect u = boundsOf(ps);
    EXPECT_NEAR(u.midX(), px(50), 3);
    EXPECT_GT(u.minY(), py(10) + d);
    EXPECT_EQ(as<PhraseOp>(ps[0])->size, 0.92 * kText);

    // Beside a vertical brace it starts 4 text units right of the anchor.
    auto beside = phrases(drawn(R"([{"k":"brace","x1":30,"y1":5,"x2":30,"y2":35,"text":"height"}])"));
    ASSERT_FALSE(beside.empty());
    const double d2 = std::min(0.12 * 30 * kK, 22 * kU);
    EXPECT_NEAR(boundsOf(beside).minX(), px(30) + d2 + 8 * kU + 4 * kU, 3);
    EXPECT_NEAR(boundsOf(beside).midY(), py(20), 0.6 * kText);

    // Near the right edge it is pulled back to end inside the figure.
    auto edge = phrases(drawn(R"([{"k":"brace","x1":96,"y1":5,"x2":96,"y2":35,"text":"a long side label"}])"));
    ASSERT_FALSE(edge.empty());
    EXPECT_LE(boundsOf(edge).maxX(), px(100) + 3);
    EXPECT_GT(boundsOf(edge).minX(), px(50));

    // A blank label writes nothing; markup is measured away but written.
    EXPECT_EQ(drawn(R"([{"k":"brace","x1":20,"x2":80,"text":" \n "}])").size(), 1u);
    auto marked = phrases(drawn(R"([{"k":"brace","x1":20,"x2":80,"text":"**six**"}])"));
    ASSERT_FALSE(marked.empty());
    EXPECT_NEAR(boundsOf(marked).midX(), px(50), 3);
}
