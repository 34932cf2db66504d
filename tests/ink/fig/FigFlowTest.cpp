#include "FigTestSupport.h"

#include "ink/Ink.h"
#include "platform/TextLine.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace nolby;
using namespace nolby::testing;
using json = nlohmann::json;

namespace {

constexpr double kBoxH = 40;  // the figure height of makeFig
constexpr double kArrowW = 2.3 * kPw;

// A flow chart's ink sorted by role. Ruled, so every stroke is straight and exact.
struct FlowInk {
    std::vector<InkOpRef> ops;
    std::vector<Rect> boxes;  // outline extents
    std::vector<const StrokeOp*> outlines, lines, heads;
    std::vector<const FillOp*> washes;
    std::vector<const PhraseOp*> labels, texts;
};

FlowInk flow(json item) {
    item["k"] = "flow";
    item["ruled"] = true;
    FlowInk f;
    f.ops = drawn(json::array({item}).dump());
    for (const InkOpRef& op : f.ops) {
        if (auto s = as<StrokeOp>(op)) {
            if (s->pen.width == kArrowW) (f.lines.size() > f.heads.size() ? f.heads : f.lines).push_back(s);
            else if (s->pen.width == kLine) {
                f.outlines.push_back(s);
                f.boxes.push_back(s->path.boundingBox());
            }
        } else if (auto w = as<FillOp>(op)) {
            f.washes.push_back(w);
        } else if (auto p = as<PhraseOp>(op)) {
            (p->runs.front().color == Ink::grey ? f.labels : f.texts).push_back(p);
        }
    }
    return f;
}

json steps(int n) {
    json out = json::array();
    for (int i = 0; i < n; ++i) out.push_back("s" + std::to_string(i));
    return out;
}

double labelWidth(const std::string& text) {
    return textWidth(Fig::unmarked(text), *Faces::font(Faces::Face::hand, 0.72 * kText));
}

std::pair<double, double> inkSpan(const PhraseOp* p) {
    double lo = 1e9, hi = -1e9;
    for (const auto& run : p->runs) {
        lo = std::min(lo, run.x);
        hi = std::max(hi, run.x + run.glyphs.width);
    }
    return {lo, hi};
}

// The first and last point of a path.
std::pair<Point, Point> ends(const Path& path) {
    const auto& e = path.elements();
    return {e.front().pts[0], e.back().pts[e.back().count() - 1]};
}

Point centre(const Rect& r) { return {r.midX(), r.midY()}; }

// Boxes of a row with the given gap.
std::vector<Rect> row(int n, double gap, double h = 14 * kK) {
    const double BW = (kDefaultWidth - gap * (n - 1)) / n;
    std::vector<Rect> out;
    for (int i = 0; i < n; ++i) out.push_back({kDefaultLeft + (gap + BW) * i, kDefaultTop, BW, h});
    return out;
}

}  // namespace

TEST(FigFlow, Layouts) {
    const double colH = (kBoxH - 6) * kK;
    const double BH4 = (colH - 7 * kK * 3) / 4;
    const double mid = labelWidth("a middling label");
    ASSERT_GT(14 * kU + mid, 7 * kK);
    ASSERT_LT(14 * kU + mid, 24 * kK);
    struct Case {
        const char* name;
        json item;
        std::vector<Rect> boxes;
        size_t arrows;
    } cases[] = {
        {"row of one", {{"steps", steps(1)}}, {{kDefaultLeft, kDefaultTop, kDefaultWidth, 14 * kK}}, 0},
        {"column of one",
         {{"steps", steps(1)}, {"dir", "down"}},
         {{kDefaultLeft + 17 * kK, kDefaultTop, 60 * kK, colH}},
         0},
        {"cycle of one",
         {{"steps", steps(1)}, {"dir", "cycle"}},
         {{kDefaultLeft + 30 * kK, kDefaultTop, 34 * kK, 0.24 * colH}},
         0},
        // Short labels leave the gap at its floor of 7 k.
        {"row of three", {{"steps", steps(3)}, {"edges", {"a", "b"}}}, row(3, 7 * kK), 2},
        {"left is a row", {{"steps", steps(3)}, {"dir", "left"}}, row(3, 7 * kK), 2},
        {"row with a label", {{"steps", steps(3)}, {"edges", {"", "a middling label"}}}, row(3, 14 * kU + mid), 2},
        // The last arrow's label has no arrow in a row: it does not widen the gaps.
        {"unused label", {{"steps", steps(2)}, {"edges", {"", "a middling label"}}}, row(2, 7 * kK), 1},
        {"row with a long label",
         {{"steps", steps(2)}, {"edges", {"a label much too long for any gap at all"}}},
         row(2, 24 * kK),
         1},
        {"row height", {{"steps", steps(2)}, {"h", 20}}, row(2, 7 * kK, 20 * kK), 1},
        {"column of four",
         {{"steps", steps(4)}, {"dir", "down"}},
         {{kDefaultLeft + 17 * kK, kDefaultTop, 60 * kK, BH4},
          {kDefaultLeft + 17 * kK, kDefaultTop + (7 * kK + BH4), 60 * kK, BH4},
          {kDefaultLeft + 17 * kK, kDefaultTop + (7 * kK + BH4) * 2, 60 * kK, BH4},
          {kDefaultLeft + 17 * kK, kDefaultTop + (7 * kK + BH4) * 3, 60 * kK, BH4}},
         3},
        {"narrow column",
         {{"steps", steps(2)}, {"dir", "down"}, {"x", 10}, {"w", 40}, {"h", 27}},
         {{kOx + 10 * kK, kDefaultTop, 40 * kK, 10 * kK}, {kOx + 10 * kK, kDefaultTop + 17 * kK, 40 * kK, 10 * kK}},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FlowInk f = flow(c.item);
        ASSERT_EQ(f.boxes.size(), c.boxes.size());
        for (size_t i = 0; i < c.boxes.size(); ++i) {
            EXPECT_NEAR(f.boxes[i].x, c.boxes[i].x, 1e-9);
            EXPECT_NEAR(f.boxes[i].y, c.boxes[i].y, 1e-9);
            EXPECT_NEAR(f.boxes[i].w, c.boxes[i].w, 1e-9);
            EXPECT_NEAR(f.boxes[i].h, c.boxes[i].h, 1e-9);
        }
        EXPECT_EQ(f.lines.size(), c.arrows);
        EXPECT_EQ(f.heads.size(), c.arrows);
    }
}

TEST(FigFlow, StepsAreBoundedAndReadFromAnyValue) {
    const FlowInk many = flow({{"steps", steps(20)}});
    EXPECT_EQ(many.boxes.size(), 16u);
    EXPECT_EQ(many.lines.size(), 15u);
    EXPECT_EQ(flow({{"steps", steps(20)}, {"dir", "cycle"}}).lines.size(), 16u);

    // Plain values become steps with that text, in the item's colour.
    const FlowInk plain =
        flow({{"steps", {"one", 2.5, true, nullptr, {{"text", "x"}, {"shape", "circle"}}}}, {"c", "blue"}});
    ASSERT_EQ(plain.boxes.size(), 5u);
    std::vector<std::string> words;
    for (const PhraseOp* p : plain.texts)
        for (const auto& run : p->runs) {
            words.push_back(run.glyphs.text);
            EXPECT_EQ(run.color, Ink::color("blue", Ink::ink));
        }
    EXPECT_EQ(words, (std::vector<std::string>{"one", "2.5", "1", "x"}));
    for (const StrokeOp* s : plain.outlines) EXPECT_EQ(s->pen.color, Ink::color("blue", Ink::ink));

    // A step's own shape has no effect.
    EXPECT_TRUE(sameInk(drawn(R"([{"k":"flow","steps":[{"text":"a","shape":"circle"},"b"]}])"),
                        drawn(R"([{"k":"flow","steps":[{"text":"a"},"b"]}])")));

    for (const char* item : {R"({"k":"flow"})", R"({"k":"flow","steps":[]})", R"({"k":"flow","steps":"a"})",
                             R"({"k":"flow","steps":["a"],"w":0})", R"({"k":"flow","steps":["a"],"h":-3})"}) {
        SCOPED_TRACE(item);
        EXPECT_TRUE(drawn(std::string("[") + item + "]").empty());
    }
}

TEST(FigFlow, CycleOfTwoGoesDownTheRightAndUpTheLeft) {
    const FlowInk f = flow({{"steps", {"day", "night"}}, {"dir", "cycle"}, {"edges", {"dusk", "dawn"}}});
    ASSERT_EQ(f.boxes.size(), 2u);
    const double zx = kDefaultLeft + kDefaultWidth / 2;
    EXPECT_NEAR(f.boxes[0].midX(), zx, 1e-9);
    EXPECT_NEAR(f.boxes[0].minY(), kDefaultTop, 1e-9);
    EXPECT_NEAR(f.boxes[1].maxY(), kDefaultTop + (kBoxH - 6) * kK, 1e-9);
    ASSERT_EQ(f.lines.size(), 2u);
    // Both follow the ring: more than the three points of a straight arrow.
    const Rect right = f.lines[0]->path.boundingBox(), left = f.lines[1]->path.boundingBox();
    EXPECT_GT(right.minX(), zx);
    EXPECT_LT(left.maxX(), zx);
    EXPECT_GT(f.lines[0]->path.elements().size(), 3u);
    EXPECT_GT(f.lines[1]->path.elements().size(), 3u);
    // The heads point at the next box: down on the right, up on the left.
    EXPECT_GT(f.heads[0]->path.boundingBox().midY(), f.boxes[1].minY() - 20 * kU);
    EXPECT_LT(f.heads[1]->path.boundingBox().midY(), f.boxes[0].maxY() + 20 * kU);
    // Labels stand outside the ring, beside the middle of their arc.
    ASSERT_EQ(f.labels.size(), 2u);
    EXPECT_GT(inkSpan(f.labels[0]).first, right.maxX());
    EXPECT_LT(inkSpan(f.labels[1]).second, left.minX());
}

TEST(FigFlow, CrowdedCycleArrowsCutStraightAcross) {
    // Six wide boxes on a flat ring: no stretch of ring clear of them.
    const FlowInk f = flow({{"steps", steps(6)}, {"dir", "cycle"}, {"h", 20}});
    ASSERT_EQ(f.boxes.size(), 6u);
    ASSERT_EQ(f.lines.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Rect &bi = f.boxes[i], &bj = f.boxes[(i + 1) % 6];
        const Point ci = centre(bi), cj = centre(bj), d = cj - ci;
        auto reach = [&](const Rect& b, double grow) {
            return std::min((b.width() / 2 + grow) / std::fabs(d.x), (b.height() / 2 + grow) / std::fabs(d.y));
        };
        const Point S = ci + d * reach(bi, 6 * kU), E = cj - d * reach(bj, 8 * kU);
        const auto [start, end] = ends(f.lines[i]->path);
        EXPECT_EQ(f.lines[i]->path.elements().size(), 3u);  // S, M, E as one curve
        EXPECT_NEAR(start.x, S.x, 1e-9);
        EXPECT_NEAR(start.y, S.y, 1e-9);
        EXPECT_NEAR(end.x, E.x, 1e-9);
        EXPECT_NEAR(end.y, E.y, 1e-9);
    }
}

TEST(FigFlow, ArrowsAndLabelsOfRowsAndColumns) {
    const double s = 0.72 * kText;
    const FlowInk r = flow({{"steps", steps(2)}, {"edges", {"next"}}, {"ac", "red"}});
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0]->pen.color, Ink::color("red", Ink::ink));
    EXPECT_EQ(r.heads[0]->pen, r.lines[0]->pen);
    const Point S{r.boxes[0].maxX() + 3 * kU, r.boxes[0].midY()}, E{r.boxes[1].minX() - 4 * kU, r.boxes[1].midY()};
    EXPECT_EQ(ends(r.lines[0]->path), std::make_pair(S, E));
    ASSERT_EQ(r.labels.size(), 1u);
    const auto rowLabel = inkSpan(r.labels[0]);
    EXPECT_NEAR((rowLabel.first + rowLabel.second) / 2, (S.x + E.x) / 2, 1.5);  // centred above the arrow
    EXPECT_LT(r.labels[0]->runs.front().y, S.y);
    EXPECT_DOUBLE_EQ(r.labels[0]->size, s);

    const FlowInk c = flow({{"steps", steps(2)}, {"dir", "down"}, {"edges", {"next"}}});
    const Point cS{c.boxes[0].midX(), c.boxes[0].maxY() + 3 * kU}, cE{c.boxes[1].midX(), c.boxes[1].minY() - 4 * kU};
    EXPECT_EQ(ends(c.lines[0]->path), std::make_pair(cS, cE));
    ASSERT_EQ(c.labels.size(), 1u);
    EXPECT_NEAR(inkSpan(c.labels[0]).first, cS.x + 10 * kU, 1.5);  // beside the arrow, to its right
    EXPECT_GT(c.labels[0]->runs.front().y, cS.y);
    EXPECT_LT(c.labels[0]->runs.front().y, cE.y + s);

    // Ink order: each step's outline and text, then the arrow leaving it and its label.
    ASSERT_GE(r.ops.size(), 6u);
    EXPECT_EQ(r.ops[0].get(), r.outlines[0]);
    EXPECT_TRUE(as<PhraseOp>(r.ops[1]));
    EXPECT_EQ(r.ops[2].get(), r.lines[0]);
    EXPECT_EQ(r.ops[3].get(), r.heads[0]);
    EXPECT_EQ(as<PhraseOp>(r.ops[4]), r.labels[0]);
    EXPECT_EQ(r.ops[5].get(), r.outlines[1]);
}

TEST(FigFlow, StepWashesAndShapes) {
    const FlowInk f = flow({{"steps", {{{"text", "a"}, {"fill", "none"}}, {{"text", "b"}, {"fill", "green"}}, "c"}}});
    ASSERT_EQ(f.washes.size(), 2u);
    // Any name washes: "none" in the highlighter's own yellow.
    EXPECT_EQ(f.washes[0]->color, Fig::markerColor("yellow"));
    EXPECT_EQ(f.washes[1]->color, Ink::marker("green"));
    EXPECT_EQ(f.ops[0].get(), f.washes[0]);  // settled under every stroke
    EXPECT_EQ(f.ops[1].get(), f.washes[1]);
    const Rect w = f.washes[0]->path.boundingBox();
    EXPECT_NEAR(w.x, f.boxes[0].x + 1.5 * kU, 1e-9);
    EXPECT_NEAR(w.width(), f.boxes[0].width() - 3 * kU, 1e-9);

    // Ellipses wash their inscribed oval; shape "none" draws text only.
    const FlowInk oval = flow({{"steps", {{{"text", "a"}, {"fill", "red"}}}}, {"shape", "circle"}});
    ASSERT_EQ(oval.washes.size(), 1u);
    EXPECT_TRUE(std::any_of(oval.washes[0]->path.elements().begin(), oval.washes[0]->path.elements().end(),
                            [](const Path::Element& e) { return e.verb == Path::Verb::cubic; }));
    const FlowInk bare = flow({{"steps", steps(3)}, {"shape", "none"}});
    EXPECT_TRUE(bare.outlines.empty());
    EXPECT_EQ(bare.texts.size(), 3u);
    EXPECT_EQ(bare.lines.size(), 2u);
}
