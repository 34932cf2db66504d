#include "FigTestSupport.h"

#include "ink/Ink.h"
#include "platform/TextLine.h"

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

// The default line: x 5, y 16, 90 units long.
constexpr double kX0 = kOx + 5 * kK, kY = kOy + 16 * kK, kSpan = 90 * kK;

// The item drawn on its own into a fresh figure; ruled items draw exactly straight strokes.
std::vector<InkOpRef> lineOps(const std::string& item) { return drawn("[" + item + "]"); }

std::vector<std::string> texts(const std::vector<InkOpRef>& ops) {
    std::vector<std::string> out;
    for (auto p : all<PhraseOp>(ops)) out.push_back(text(p));
    return out;
}

// The major tick stroke of a ruled line: the line pen, exactly 20 u tall.
const StrokeOp* ticks(const std::vector<InkOpRef>& ops) {
    for (auto s : strokesOfWidth(ops, kLine))
        if (std::fabs(s->bounds().height() - 2 * kLine - 20 * kU) < 1e-9) return s;
    return nullptr;
}

}  // namespace

TEST(FigNumberline, NothingForAnEmptySpan) {
    for (const char* item : {R"({"k":"numberline","from":3,"to":3})", R"({"k":"numberline","from":1e308,"to":-1e308})",
                             R"({"k":"numberline","from":"2","to":2})"}) {
        SCOPED_TRACE(item);
        EXPECT_TRUE(lineOps(item).empty());
    }
}

TEST(FigNumberline, DefaultLine) {
    auto ops = lineOps(R"({"k":"numberline","ruled":true})");
    ASSERT_EQ(ops.size(), 3u + 5);
    // The line overshoots both ends by 18 u, under an arrowhead at each end.
    const Rect line = ops[0]->bounds();
    EXPECT_NEAR(line.minX() + kLine, kX0 - 18 * kU, 1e-9);
    EXPECT_NEAR(line.maxX() - kLine, kX0 + kSpan + 18 * kU, 1e-9);
    EXPECT_NEAR(line.midY(), kY, 1e-9);
    EXPECT_EQ(subpaths(as<StrokeOp>(ops[1])->path), 8);
    // Five ticks in one stroke, their numbers written after it.
    EXPECT_EQ(subpaths(as<StrokeOp>(ops[2])->path), 5);
    EXPECT_NEAR(ops[2]->bounds().height() - 2 * kLine, 20 * kU, 1e-9);
    EXPECT_EQ(texts(ops), (std::vector<std::string>{"0", "0.25", "0.5", "0.75", "1"}));
    for (size_t i = 3; i < ops.size(); ++i) EXPECT_EQ(as<PhraseOp>(ops[i])->size, 0.8 * kText);
}

TEST(FigNumberline, Ends) {
    struct Case {
        const char* ends;
        double left, right;  // overshoot beyond each end, in u
        int heads;
        bool rightHead;
    } cases[] = {
        {"", 10, 10, 0, false},
        {">", 10, 18, 1, true},
        {"<", 18, 10, 1, false},
        {"<->", 18, 18, 2, true},
        {"x", 10, 10, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ends);
        auto ops = lineOps(std::string(R"({"k":"numberline","ruled":true,"ends":")") + c.ends + "\"}");
        const Rect line = ops[0]->bounds();
        EXPECT_NEAR(line.minX() + kLine, kX0 - c.left * kU, 1e-9);
        EXPECT_NEAR(line.maxX() - kLine, kX0 + kSpan + c.right * kU, 1e-9);
        const int withHeads = c.heads ? 1 : 0;
        ASSERT_EQ(all<StrokeOp>(ops).size(), 2u + withHeads);
        if (!c.heads) continue;
        EXPECT_EQ(subpaths(as<StrokeOp>(ops[1])->path), 4 * c.heads);
        if (c.heads == 1) {
            const Rect head = ops[1]->bounds();
            const double tip = c.rightHead ? head.maxX() - kLine : head.minX() + kLine;
            EXPECT_NEAR(tip, c.rightHead ? kX0 + kSpan + 18 * kU : kX0 - 18 * kU, 1e-9);
        }
    }
}

TEST(FigNumberline, BackwardsLineTicksLeftToRight) {
    auto ops = lineOps(R"({"k":"numberline","from":10,"to":0})");
    EXPECT_EQ(texts(ops), (std::vector<std::string>{"10", "7.5", "5", "2.5", "0"}));
    auto labels = all<PhraseOp>(ops);
    for (size_t i = 1; i < labels.size(); ++i) EXPECT_GT(labels[i]->bounds().minX(), labels[i - 1]->bounds().maxX());
}

TEST(FigNumberline, MajorTicks) {
    struct Case {
        const char* keys;
        int ticks;  // 0: no tick stroke at all
        std::vector<std::string> labels;
    } cases[] = {
        {R"("to":10,"step":0.1)", 0, {}},
        {R"("to":10,"step":2)", 6, {"0", "2", "4", "6", "8", "10"}},
        {R"("to":10,"step":-2)", 6, {"0", "2", "4", "6", "8", "10"}},
        {R"("to":10,"step":"wide")", 5, {"0", "2.5", "5", "7.5", "10"}},
        {R"("to":10,"step":0)", 0, {}},
        {R"("to":10,"ticks":[[2,"two"],3,"4",true,null,[],["x"],{"v":5}])", 4, {"1", "two", "3", "4"}},
        {R"("to":10,"ticks":[-1,5,10.0000001,11])", 1, {"5"}},
        {R"("to":10,"ticks":[[6,""],[7,null]])", 2, {}},
        // A label too close to the one before is left out; its tick stays.
        {R"("ticks":[0,0.01,0.5])", 3, {"0", "0.5"}},
        {R"("ticks":[null])", 5, {"0", "0.25", "0.5", "0.75", "1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = lineOps(std::string(R"({"k":"numberline","ruled":true,)") + c.keys + "}");
        const StrokeOp* t = ticks(ops);
        ASSERT_EQ(t != nullptr, c.ticks > 0);
        if (t) {
            EXPECT_EQ(subpaths(t->path), c.ticks);
        }
        EXPECT_EQ(texts(ops), c.labels);
    }
    // Twenty intervals make 21 ticks; their numbers thin out where they would touch.
    auto ops = lineOps(R"({"k":"numberline","ruled":true,"to":10,"step":0.5,"size":1.6})");
    EXPECT_EQ(subpaths(ticks(ops)->path), 21);
    const size_t written = texts(ops).size();
    EXPECT_GE(written, 6u);
    EXPECT_LT(written, 21u);
}

TEST(FigNumberline, MinorTicks) {
    struct Case {
        const char* keys;
        int ticks;
    } cases[] = {{R"("minor":0.25)", 5}, {R"("to":10,"minor":0.05)", 201}, {R"("to":10,"minor":0.04)", 0},
                 {R"("minor":-1)", 0}, {R"("from":0,"to":1e-300,"minor":1e-302)", 201}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = lineOps(std::string(R"({"k":"numberline",)") + c.keys + "}");
        auto minor = strokesOfWidth(ops, 1.4 * kPw);
        ASSERT_EQ(minor.size(), c.ticks ? 1u : 0u);
        if (c.ticks) {
            EXPECT_EQ(subpaths(minor[0]->path), c.ticks);
            EXPECT_EQ(minor[0]->pen.color, Ink::grey);
        }
    }
}

TEST(FigNumberline, RangeWashes) {
    struct Case {
        const char* range;
        double a, b;  // fractions of the line
    } cases[] = {
        {R"({"from":2,"to":5})", 0.2, 0.5},
        {R"({"from":5,"to":2})", 0.2, 0.5},
        {R"({"from":8,"to":20})", 0.8, 1.08},  // held 8 % beyond the end
        {R"({"to":-3})", -0.08, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.range);
        auto ops = lineOps(std::string(R"({"k":"numberline","to":10,"ranges":[)") + c.range + "]}");
        auto fills = all<FillOp>(ops);
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(ops[0].get(), fills[0]);  // under the line
        const Rect r = fills[0]->bounds();
        const double m = 1.5 * kU;
        EXPECT_NEAR(r.minX(), kX0 + c.a * kSpan + m, 1e-9);
        EXPECT_NEAR(r.maxX(), kX0 + c.b * kSpan - m, 1e-9);
        EXPECT_NEAR(r.minY(), kY - 13 * kU + m, 1e-9);
        EXPECT_NEAR(r.height(), 26 * kU - 2 * m, 1e-9);
        EXPECT_EQ(fills[0]->color, Fig::markerColor("yellow"));
    }
}

TEST(FigNumberline, RangeLabelsLiftClearOfEachOther) {
    auto ops = lineOps(R"({"k":"numberline","to":10,"ranges":[{"from":1,"to":4,"text":"first"},{"from":2,"to":5,"text":"second","c":"Gold"},{"from":8,"to":9,"c":"orange","text":"third"}]})");
    auto labels = all<PhraseOp>(ops);
    ASSERT_GE(labels.size(), 3u);
    // Written before the ticks' numbers, each in its range's label ink.
    EXPECT_EQ(text(labels[0]), "first");
    EXPECT_EQ(text(labels[1]), "second");
    EXPECT_EQ(text(labels[2]), "third");
    EXPECT_EQ(labels[1]->runs[0].color, Color::rgba8(184, 134, 11));
    EXPECT_EQ(labels[2]->runs[0].color, Ink::color("orange", Ink::ink));
    // The second moves up two steps of 0.88 of the text size; the third stays down.
    const double y0 = labels[0]->runs[0].y, y1 = labels[1]->runs[0].y, y2 = labels[2]->runs[0].y;
    EXPECT_NEAR(y0 - y1, 2 * 0.88 * kText, 1.5);
    EXPECT_NEAR(y2, y0, 1.5);
}

TEST(FigNumberline, RangeInk) {
    const Color gold = Color::rgba8(184, 134, 11);
    struct Case {
        const char* name;
        Color ink;
    } cases[] = {{"yellow", gold}, {"YELLOW", gold}, {"Gold", gold}, {"orange", Ink::color("orange", Ink::ink)},
                 {"blue", Ink::color("blue", Ink::ink)}, {"mauve", Ink::ink}, {"", Ink::ink}};
    for (const Case& c : cases) EXPECT_EQ(Fig::rangeInk(c.name), c.ink) << c.name;
}

TEST(FigNumberline, JumpArcs) {
    struct Case {
        const char* jump;
        double h;
    } cases[] = {
        {R"({"from":0,"to":0.1})", 14 * kU + 0.35 * 0.01 * kSpan},  // short: at least 14 u
        {R"({"from":0,"to":10})", 60 * kU},                      // long: at most 60 u
        {R"({"from":3,"to":2})", 14 * kU + 0.35 * 0.1 * kSpan},
    };
    const double pen = 2.3 * kPw;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.jump);
        auto ops = lineOps(std::string(R"({"k":"numberline","ruled":true,"to":10,"jumps":[)") + c.jump + "]}");
        auto arcs = strokesOfWidth(ops, pen);
        ASSERT_EQ(arcs.size(), 2u);  // the arc and its head
        EXPECT_EQ(arcs[0]->pen.color, Ink::color("green", Ink::ink));
        EXPECT_NEAR(arcs[0]->bounds().minY() + pen, kY - c.h, 0.05 * c.h);
    }
}

TEST(FigNumberline, PointsOnTheExtension) {
    const double dot = 6 * kU;
    struct Case {
        const char* v;
        bool drawn;
        double at;  // fraction of the line
    } cases[] = {{"5", true, 0.5}, {"10.5", true, 1.05}, {"-0.5", true, -0.05}, {"12", false, 0},
                 {"-1", false, 0}, {"\"2\"", true, 0.2}, {"\"two\"", true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        auto ops = lineOps(std::string(R"({"k":"numberline","ruled":true,"to":10,"points":[{"v":)") + c.v + "}]}");
        auto dots = strokesOfWidth(ops, dot);
        ASSERT_EQ(dots.size(), c.drawn ? 1u : 0u);
        if (c.drawn) {
            EXPECT_NEAR(dots[0]->bounds().midX(), kX0 + c.at * kSpan, 0.5);
            EXPECT_EQ(dots[0]->pen.color, Ink::color("red", Ink::ink));
        }
    }
}

TEST(FigNumberline, CrowdedPointLabelsMoveAsideOrUp) {
    auto ops = lineOps(R"({"k":"numberline","to":10,"points":[{"v":5,"text":"here"},{"v":5,"text":"there","c":"blue"},{"v":5,"text":"and there"}]})");
    auto labels = all<PhraseOp>(ops);
    std::vector<const PhraseOp*> pointLabels;
    for (auto p : labels)
        if (p->size == 0.85 * kText) pointLabels.push_back(p);
    ASSERT_EQ(pointLabels.size(), 3u);
    // A leader to the same dot always crosses the first label, so no sideways place is
    // taken: each later label goes to the next free row up, its leader broken around the
    // labels below it.
    const double ps = 0.85 * kText;
    EXPECT_NEAR(pointLabels[0]->runs[0].y - pointLabels[1]->runs[0].y, 1.1 * ps, 1.5);
    EXPECT_NEAR(pointLabels[1]->runs[0].y - pointLabels[2]->runs[0].y, 1.1 * ps, 1.5);
    auto leaders = strokesOfWidth(ops, 1.4 * kPw);
    ASSERT_EQ(leaders.size(), 2u);
    EXPECT_EQ(leaders[0]->pen.color, Ink::color("blue", Ink::ink));
    EXPECT_EQ(leaders[1]->pen.color, Ink::color("red", Ink::ink));
    for (auto l : leaders) EXPECT_GT(l->bounds().minY(), pointLabels[0]->runs[0].y - 1);

    // A label with room beside an earlier one moves sideways and needs no leader.
    ops = lineOps(R"({"k":"numberline","to":10,"points":[{"v":4,"text":"a"},{"v":4.6,"text":"long label"}]})");
    labels = all<PhraseOp>(ops);
    ASSERT_GE(labels.size(), 2u);
    const PhraseOp *first = labels[labels.size() - 2], *second = labels.back();
    EXPECT_NEAR(first->runs[0].y, second->runs[0].y, 1.5);
    EXPECT_GT(second->bounds().minX(), first->bounds().maxX());
    EXPECT_TRUE(strokesOfWidth(ops, 1.4 * kPw).empty());
}

TEST(FigNumberline, PointLabelsAvoidJumpArcs) {
    // Just above its dot, the label would sit on the arc rising from 2.
    auto ops = lineOps(R"({"k":"numberline","to":10,"jumps":[{"from":2,"to":8}],"points":[{"v":2.5,"text":"under"}]})");
    auto arc = strokesOfWidth(ops, 2.3 * kPw);
    ASSERT_EQ(arc.size(), 2u);
    const PhraseOp* label = all<PhraseOp>(ops).back();
    ASSERT_EQ(text(label), "under");
    for (const Polyline& line : arc[0]->lines())
        for (Point p : line) EXPECT_FALSE(label->bounds().contains(p));
}

TEST(FigNumberline, Crosses) {
    const std::vector<Rect> rects{{40, -5, 20, 10}};
    EXPECT_TRUE(Fig::crosses({0, 0}, {100, 0}, rects));
    EXPECT_FALSE(Fig::crosses({0, 10}, {100, 10}, rects));
    EXPECT_TRUE(Fig::crosses({50, 0}, {50, 0}, rects));   // a point inside
    EXPECT_FALSE(Fig::crosses({0, 0}, {39, 0}, rects));
    EXPECT_FALSE(Fig::crosses({0, 0}, {100, 0}, {Rect::null()}));
}

TEST(FigNumberline, SameItemSameInk) {
    const std::string items =
        R"([{"k":"numberline","to":10,"minor":1,"ranges":[{"from":1,"to":3,"text":"r"}],"jumps":[{"from":1,"to":4,"text":"+3"}],"points":[{"v":4,"text":"p"}]}])";
    EXPECT_TRUE(sameInk(drawn(items), drawn(items)));
}
