#include "FigTestSupport.h"

#include "ink/Ink.h"

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

// The default chart: corner (8, 4), 84 wide, the figure's height (40) less 12 high.
constexpr double kChartLeft = kOx + 8 * kK, kChartTop = kOy + 4 * kK, kCW = 84 * kK, kCH = 28 * kK;
constexpr double kBottom = kChartTop + kCH, kRoom = kCH - kText;

std::vector<InkOpRef> bars(const std::string& keys) { return drawn(R"([{"k":"bars",)" + keys + "}]"); }

struct Slot {
    double left, width;  // of the bar in slot i of n
};
Slot slot(size_t i, size_t n) {
    const double s = kCW / n, w = 0.62 * s;
    return {kChartLeft + s * i + (s - w) / 2, w};
}

Color colour(const char* name) { return Ink::color(name, Ink::ink); }

}  // namespace

TEST(FigBars, BarHeights) {
    struct Case {
        const char* keys;
        size_t n;
        std::vector<std::pair<size_t, double>> drawn;  // bars drawn: index, fraction of the room
    } cases[] = {
        {R"("vals":[1,2,4])", 3, {{0, 0.25}, {1, 0.5}, {2, 1}}},
        {R"("vals":[1,2,4],"max":2)", 3, {{0, 0.5}, {1, 1}, {2, 1.05}}},  // capped 5 % above
        {R"("vals":[3,-1,0," 2 ",true,"abc",null,[5]])", 8, {{0, 1}, {3, 2.0 / 3}, {4, 1.0 / 3}}},
        {R"("vals":[1,2],"max":-5)", 2, {{0, 1.05}, {1, 1.05}}},  // "max" raised to 1e-9
        {R"("vals":[2,4],"max":"lots")", 2, {{0, 0.5}, {1, 1}}},
        {R"("vals":[0,0,0])", 3, {}},
        {R"("vals":[-2,-4])", 2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = bars(c.keys);
        const auto washes = all<FillOp>(ops);
        ASSERT_EQ(washes.size(), c.drawn.size());
        for (size_t i = 0; i < washes.size(); ++i) {
            // The wash is the bar inset by 1 point.
            const auto [index, fraction] = c.drawn[i];
            const Rect r = washes[i]->bounds();
            const Slot s = slot(index, c.n);
            EXPECT_NEAR(r.minX(), s.left + 1, 1e-9);
            EXPECT_NEAR(r.width(), s.width - 2, 1e-9);
            EXPECT_NEAR(r.maxY(), kBottom - 1, 1e-9);
            EXPECT_NEAR(r.height(), kRoom * fraction - 2, 1e-9);
            EXPECT_EQ(washes[i]->blend, BlendMode::multiply);
            EXPECT_FALSE(washes[i]->evenOdd);
        }
        // The baseline is always last.
        auto base = as<StrokeOp>(ops.back());
        ASSERT_TRUE(base);
        EXPECT_EQ(base->pen, Pen::usual(Ink::ink, kLine));
        EXPECT_NEAR(base->path.elements()[0].pts[0].y, kBottom, 1.1);
    }
}

TEST(FigBars, BarsNoTallerThanTwoTextUnitsAreNotDrawn) {
    // Outlines in the bar colour: bar 1 is 0.86 points tall (none), then 1.12 points (one).
    // A bar under 2 points keeps its outline but has no room for its inset wash.
    struct Case {
        const char* vals;
        size_t outlines, washes;
    } cases[] = {{"[100,1]", 1, 1}, {"[100,1.3]", 2, 1}, {"[100,3]", 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vals);
        auto ops = bars(std::string(R"("c":"red","vals":)") + c.vals);
        size_t outlines = 0;
        for (auto s : all<StrokeOp>(ops))
            outlines += s->pen == Pen::usual(colour("red"), kLine) && subpaths(s->path) == 4;
        EXPECT_EQ(outlines, c.outlines);
        EXPECT_EQ(all<FillOp>(ops).size(), c.washes);
    }
}

TEST(FigBars, EightyValuesDrawSixtyFour) {
    std::string vals = "[";
    for (int i = 0; i < 80; ++i) vals += i ? ",1" : "1";
    auto ops = bars(R"("show":false,"vals":)" + vals + "]");
    const auto washes = all<FillOp>(ops);
    ASSERT_EQ(washes.size(), 64u);
    EXPECT_NEAR(washes.back()->bounds().minX(), slot(63, 64).left + 1, 1e-9);
}

TEST(FigBars, BarColours) {
    struct Case {
        const char* keys;
        std::vector<const char*> names;  // bar by bar
        const char* baseline;
    } cases[] = {
        {R"("vals":[1,1,1])", {"blue", "blue", "blue"}, "ink"},
        {R"("vals":[1,1,1],"cs":["red"," ","green"],"hl":[1])", {"red", "orange", "green"}, "ink"},
        {R"("vals":[1,1,1],"cs":["","pink"],"hl":[0,"2",1],"hc":"violet","c":"teal")",
         {"violet", "pink", "violet"}, "teal"},  // "c" colours the plain bars and the baseline
        {R"("vals":[1,1],"hl":[5,-1])", {"blue", "blue"}, "ink"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = bars(c.keys);
        const auto washes = all<FillOp>(ops);
        const auto strokes = all<StrokeOp>(ops);  // hatch and outline per bar, then the baseline
        const auto values = all<PhraseOp>(ops);
        ASSERT_EQ(washes.size(), c.names.size());
        ASSERT_EQ(strokes.size(), 2 * c.names.size() + 1);
        ASSERT_EQ(values.size(), c.names.size());
        for (size_t i = 0; i < c.names.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(washes[i]->color, Fig::washColor(c.names[i]));
            EXPECT_EQ(strokes[2 * i]->pen.color, Ink::fill(c.names[i]));
            EXPECT_EQ(strokes[2 * i]->pen.width, 1.9 * kPw);
            EXPECT_EQ(strokes[2 * i]->pace(), 3.2);
            EXPECT_EQ(strokes[2 * i + 1]->pen, Pen::usual(colour(c.names[i]), kLine));
            EXPECT_EQ(subpaths(strokes[2 * i + 1]->path), 4);
            EXPECT_EQ(values[i]->runs[0].color, colour(c.names[i]));
        }
        EXPECT_EQ(strokes.back()->pen.color, colour(c.baseline));
    }
}

TEST(FigBars, ValueLabelsSitAboveTheirBars) {
    // Bar 0 is full height; bar 1 is negative, so its value sits on the baseline.
    auto ops = bars(R"("vals":[3,-2])");
    const auto values = all<PhraseOp>(ops);
    ASSERT_EQ(values.size(), 2u);
    const double tops[] = {kBottom - kRoom, kBottom};
    // Where handwriting of that size puts its first baseline below the top it is given.
    Hand hand(1);
    const double firstBaseline = hand.write("3", 0, 0, 100, 0.8 * kText).lines[0].y;
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const Slot s = slot(i, 2);
        const PhraseOp::Run& run = values[i]->runs[0];
        EXPECT_EQ(values[i]->size, 0.8 * kText);
        EXPECT_NEAR(run.x + run.glyphs.width / 2, s.left + s.width / 2, 0.1 * kText);
        // Written from 1.04 text sizes above the bar top, its baseline just above it.
        EXPECT_NEAR(run.y, tops[i] - 1.04 * kText + firstBaseline, 0.05 * kText);
        EXPECT_LT(run.y, tops[i]);
    }
    EXPECT_EQ(values[0]->runs[0].glyphs.text, "3");
    EXPECT_EQ(values[1]->runs[0].glyphs.text, "-2");
    // The operations come bar by bar: hatch, outline, value; the wash went under them all.
    EXPECT_TRUE(as<FillOp>(ops[0]));
    EXPECT_TRUE(as<PhraseOp>(ops[3]));
}

TEST(FigBars, CategoryLabelsAndShow) {
    struct Case {
        const char* keys;
        size_t values, labels;
    } cases[] = {
        {R"("vals":[1,2],"labels":["one","two","three"])", 2, 2},  // extra labels ignored
        {R"("vals":[1,2],"labels":[" ","two"],"show":false)", 0, 1},
        {R"("vals":[0,0,0],"labels":["a","b","c"])", 3, 3},  // no bars, still written
        {R"("vals":[1,2],"labels":[null,7])", 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = bars(c.keys);
        size_t above = 0, below = 0;
        for (auto p : all<PhraseOp>(ops)) {
            if (p->bounds().midY() < kBottom) {
                ++above;
                continue;
            }
            ++below;
            EXPECT_LE(p->size, 0.85 * kText);
            EXPECT_GT(p->bounds().minY(), kBottom + 2 * kU);
            EXPECT_LT(p->bounds().maxY(), kBottom + 1.5 * kText);
        }
        EXPECT_EQ(above, c.values);
        EXPECT_EQ(below, c.labels);
    }
}

TEST(FigBars, NothingToDraw) {
    for (const char* keys : {R"("x":3)", R"("vals":3)", R"("vals":[])", R"("vals":{"a":1})",
                             R"("vals":[1],"w":0)", R"("vals":[1],"w":-30)", R"("vals":[1],"h":-5)"}) {
        SCOPED_TRACE(keys);
        EXPECT_TRUE(bars(keys).empty());
    }
}
