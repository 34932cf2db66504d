#include "FigTestSupport.h"

#include "ink/Ink.h"

#include <algorithm>
#include <cmath>
#include <string>

using namespace nolby;
using namespace nolby::testing;
using json = nlohmann::json;

namespace {

constexpr double kBoxH = 40;  // the figure height of makeFig
constexpr double kLeft = kOx + 2 * kK, kTop = kOy + 3 * kK;  // the default tree area
constexpr double kAreaW = 96 * kK, kAreaH = (kBoxH - 6) * kK;
constexpr double kEdgeW = 2 * kPw, kNodeW = 0.9 * kLine;

// A tree's ink sorted by role. Ruled, so every stroke is straight and exact.
struct TreeInk {
    std::vector<InkOpRef> ops;
    const StrokeOp* edges = nullptr;
    const StrokeOp* heads = nullptr;
    std::vector<Rect> nodes;  // outline extents, in drawing order
    std::vector<const FillOp*> washes;
    std::vector<const PhraseOp*> labels, texts;  // grey edge labels, node texts
};

TreeInk tree(json item) {
    item["k"] = "tree";
    item["ruled"] = true;
    TreeInk t;
    t.ops = drawn(json::array({item}).dump());
    for (const InkOpRef& op : t.ops) {
        if (auto s = as<StrokeOp>(op)) {
            if (s->pen.width == kEdgeW) (t.edges ? t.heads : t.edges) = s;
            else if (s->pen.width == kNodeW) t.nodes.push_back(s->path.boundingBox());
        } else if (auto f = as<FillOp>(op)) {
            t.washes.push_back(f);
        } else if (auto p = as<PhraseOp>(op)) {
            (p->runs.front().color == Ink::grey ? t.labels : t.texts).push_back(p);
        }
    }
    return t;
}

// Sub-paths of a path as (first point, last point).
std::vector<std::pair<Point, Point>> strokeEnds(const Path& path) {
    std::vector<std::pair<Point, Point>> out;
    for (const auto& e : path.elements()) {
        if (e.verb == Path::Verb::move) out.push_back({e.pts[0], e.pts[0]});
        else if (!out.empty() && e.count() > 0) out.back().second = e.pts[e.count() - 1];
    }
    return out;
}

// Where the ink of some handwriting starts and ends across.
std::pair<double, double> inkSpan(const std::vector<const PhraseOp*>& phrases) {
    double lo = 1e9, hi = -1e9;
    for (const PhraseOp* p : phrases)
        for (const auto& run : p->runs) {
            lo = std::min(lo, run.x);
            hi = std::max(hi, run.x + run.glyphs.width);
        }
    return {lo, hi};
}

json leaves(int n, const std::string& prefix = "n") {
    json kids = json::array();
    for (int i = 0; i < n; ++i) kids.push_back({{"text", prefix + std::to_string(i)}});
    return kids;
}

json chain(int length) {
    json node = {{"text", "end"}};
    for (int i = 1; i < length; ++i) node = {{"text", std::to_string(i)}, {"kids", json::array({node})}};
    return node;
}

}  // namespace

TEST(FigTree, NodesSitInColumnsAndRows) {
    struct Case {
        const char* name;
        json root;
        size_t nodes;
        int leaves, levels, lastDepth;
        std::vector<double> slots;  // in drawing (pre-) order
    } cases[] = {
        {"lone root", {{"text", "root"}}, 1, 1, 1, 0, {0}},
        {"three leaves", {{"text", "r"}, {"kids", leaves(3)}}, 4, 3, 2, 1, {1, 0, 1, 2}},
        {"two leaves", {{"text", "r"}, {"kids", leaves(2)}}, 3, 2, 2, 1, {0.5, 0, 1}},
        // A parent sits midway between its first and last child, not at their mean.
        {"uneven", {{"kids", {json::object(), json::object(), {{"kids", leaves(3)}}}}}, 7, 5, 3, 2,
         {1.5, 0, 1, 3, 2, 3, 4}},
        // Only depths 0 to 10 of a chain of 15 are drawn.
        {"chain of 15", chain(15), 11, 1, 11, 10, std::vector<double>(11, 0)},
        {"chain of 400", chain(400), 11, 1, 11, 10, std::vector<double>(11, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TreeInk t = tree({{"root", c.root}});
        ASSERT_EQ(t.nodes.size(), c.nodes);
        const double CW = kAreaW / c.leaves, RH = kAreaH / c.levels;
        const double NW = std::min(26 * kK, 0.86 * CW), NH = std::min(10 * kK, 0.56 * RH);
        for (size_t i = 0; i < t.nodes.size(); ++i) {
            EXPECT_NEAR(t.nodes[i].midX(), kLeft + CW * (c.slots[i] + 0.5), 1e-9);
            EXPECT_NEAR(t.nodes[i].width(), NW, 1e-9);
            EXPECT_NEAR(t.nodes[i].height(), NH, 1e-9);
        }
        EXPECT_NEAR(t.nodes.front().midY(), kTop + RH * 0.5, 1e-9);
        EXPECT_NEAR(t.nodes.back().midY(), kTop + RH * (c.lastDepth + 0.5), 1e-9);
        EXPECT_EQ(t.edges ? strokeEnds(t.edges->path).size() : 0u, c.nodes - 1);  // one edge per child
    }
}

TEST(FigTree, AreaKeysAndDefaults) {
    const TreeInk t = tree({{"root", {{"text", "a"}}}, {"x", 10}, {"y", 5}, {"w", 40}, {"h", 20}});
    ASSERT_EQ(t.nodes.size(), 1u);
    EXPECT_NEAR(t.nodes[0].midX(), kOx + 10 * kK + 20 * kK, 1e-9);
    EXPECT_NEAR(t.nodes[0].midY(), kOy + 5 * kK + 10 * kK, 1e-9);
    EXPECT_NEAR(t.nodes[0].width(), 26 * kK, 1e-9);
    EXPECT_NEAR(t.nodes[0].height(), std::min(10 * kK, 0.56 * 20 * kK), 1e-9);

    // Nothing without a root object, and nothing in an area with no room.
    for (const char* item : {R"({"k":"tree"})", R"({"k":"tree","root":"a"})", R"({"k":"tree","root":[{}]})",
                             R"({"k":"tree","root":{},"w":0})", R"({"k":"tree","root":{},"h":-5})"}) {
        SCOPED_TRACE(item);
        EXPECT_TRUE(drawn(std::string("[") + item + "]").empty());
    }
}

TEST(FigTree, NodeBudgetKeepsTheFirst200InPreOrder) {
    // Three kids of 120 leaves each: 1 + 121 + 78 nodes fit, the second kid keeps the 77
    // leaves built before the budget ran out, the third kid is left out.
    json root = {{"text", "r"}, {"kids", json::array()}};
    for (const char* name : {"a", "b", "c"}) root["kids"].push_back({{"text", name}, {"kids", leaves(120, name)}});
    const TreeInk t = tree({{"root", root}});
    ASSERT_EQ(t.nodes.size(), 200u);
    const double CW = kAreaW / 197;
    EXPECT_NEAR(t.nodes[1].midX(), kLeft + CW * (59.5 + 0.5), 1e-9);       // "a" over leaves 0 ... 119
    EXPECT_NEAR(t.nodes[122].midX(), kLeft + CW * (158 + 0.5), 1e-9);      // "b" over leaves 120 ... 196
    EXPECT_NEAR(t.nodes[199].midX(), kLeft + CW * (196 + 0.5), 1e-9);      // b's 77th leaf is the last
    EXPECT_NEAR(t.nodes[0].midX(), kLeft + CW * ((59.5 + 158) / 2 + 0.5), 1e-9);  // the root over a and b
    EXPECT_EQ(strokeEnds(t.edges->path).size(), 199u);
}

TEST(FigTree, StraightEdgesStopShortOfTheNodes) {
    // Root over two leaves: two columns, two rows.
    const double CW = kAreaW / 2, RH = kAreaH / 2;
    const double NW = std::min(26 * kK, 0.86 * CW), NH = std::min(10 * kK, 0.56 * RH);
    const double CWd = std::min(1.3 * NH, NW);
    const Point parent{kLeft + CW, kTop + RH / 2};
    const Point kids[] = {{kLeft + CW / 2, kTop + 1.5 * RH}, {kLeft + 1.5 * CW, kTop + 1.5 * RH}};

    const TreeInk boxes = tree({{"root", {{"kids", leaves(2)}}}});
    const auto boxEnds = strokeEnds(boxes.edges->path);
    ASSERT_EQ(boxEnds.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(boxEnds[i].first.x, parent.x, 1e-9);
        EXPECT_NEAR(boxEnds[i].first.y, parent.y + NH / 2 + 2 * kU, 1e-9);
        EXPECT_NEAR(boxEnds[i].second.x, kids[i].x, 1e-9);
        EXPECT_NEAR(boxEnds[i].second.y, kids[i].y - NH / 2 - 3 * kU, 1e-9);
    }

    // Circles: on ellipses 2 u outside the parent and 3 u outside the child.
    const TreeInk circles = tree({{"root", {{"kids", leaves(2)}}}, {"shape", "circle"}});
    ASSERT_EQ(circles.nodes.size(), 3u);
    const auto circleEnds = strokeEnds(circles.edges->path);
    ASSERT_EQ(circleEnds.size(), 2u);
    auto onEllipse = [&](Point p, Point c, double grow) {
        return std::hypot((p.x - c.x) / (CWd / 2 + grow), (p.y - c.y) / (NH / 2 + grow));
    };
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(onEllipse(circleEnds[i].first, parent, 2 * kU), 1, 1e-9);
        EXPECT_NEAR(onEllipse(circleEnds[i].second, kids[i], 3 * kU), 1, 1e-9);
        // On the line between the centres.
        const Point d = kids[i] - parent, s = circleEnds[i].first - parent;
        EXPECT_NEAR(d.x * s.y - d.y * s.x, 0, 1e-6);
    }
    EXPECT_FALSE(circles.heads);  // no arrowheads unless asked for
}

TEST(FigTree, ElbowDropsEndInArrowheadsPointingDown) {
    const TreeInk t = tree({{"root", {{"kids", leaves(3)}}}, {"elbow", true}, {"edge", "arrow"}});
    ASSERT_TRUE(t.edges && t.heads);
    const double RH = kAreaH / 2, NH = std::min(10 * kK, 0.56 * RH);
    const double y0 = kTop + RH / 2 + NH / 2 + 2 * kU, y1 = kTop + 1.5 * RH - NH / 2 - 3 * kU;
    const double ym = y0 + 0.45 * (y1 - y0);  // no labels

    // Trunk, bus, then one drop per child.
    const auto lines = strokeEnds(t.edges->path);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_NEAR(lines[0].first.y, y0, 1e-9);
    EXPECT_NEAR(lines[0].second.y, ym, 1e-9);
    EXPECT_NEAR(lines[1].first.x, t.nodes[1].midX(), 1e-9);
    EXPECT_NEAR(lines[1].second.x, t.nodes[3].midX(), 1e-9);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(lines[2 + i].first.y, ym, 1e-9);
        EXPECT_NEAR(lines[2 + i].second.y, y1, 1e-9);
    }

    // Four barb strokes per head, each from the tip up and out at the same angle.
    const auto barbs = strokeEnds(t.heads->path);
    ASSERT_EQ(barbs.size(), 12u);
    for (size_t b = 0; b < barbs.size(); ++b) {
        const Point tip = barbs[b].first, end = barbs[b].second;
        EXPECT_NEAR(tip.x, t.nodes[1 + b / 4].midX(), 1e-9);
        EXPECT_NEAR(tip.y, y1, 1e-9);
        EXPECT_LT(end.y, tip.y);
        EXPECT_NEAR(std::fabs(end.x - tip.x) / (tip.y - end.y), std::tan(0.45), 1e-9);
    }
}

TEST(FigTree, ElbowLabelsShareColumnsWithTheirNeighbours) {
    const std::string label = "one two three four five";
    const double CW = kAreaW / 4;
    json kids = leaves(4);
    kids[1]["edge"] = label;
    const auto alone = inkSpan(tree({{"root", {{"kids", kids}}}, {"elbow", true}}).labels);
    kids[2]["edge"] = label;
    const TreeInk crowded = tree({{"root", {{"kids", kids}}}, {"elbow", true}});
    ASSERT_FALSE(crowded.labels.empty());

    // A lone label has up to 1.8 columns and stays on one line; neighbours wrap within 0.92.
    EXPECT_GT(alone.second - alone.first, 0.92 * CW);
    EXPECT_LT(alone.second - alone.first, 1.8 * CW);
    std::vector<const PhraseOp*> second, third;
    for (const PhraseOp* p : crowded.labels) (p->runs.front().x < kLeft + 2 * CW ? second : third).push_back(p);
    for (const auto* half : {&second, &third}) {
        ASSERT_FALSE(half->empty());
        const auto span = inkSpan(*half);
        EXPECT_LE(span.second - span.first, 0.92 * CW);
    }
    // Centred on their drops.
    EXPECT_NEAR((inkSpan(second).first + inkSpan(second).second) / 2, kLeft + 1.5 * CW, 3);
    EXPECT_NEAR((inkSpan(third).first + inkSpan(third).second) / 2, kLeft + 2.5 * CW, 3);
}

TEST(FigTree, StraightEdgeLabelsStandBesideTheEdge) {
    // Root over two leaves; the left edge's label ends 20 u left of the edge's middle.
    const double CW = kAreaW / 2, RH = kAreaH / 2, NH = std::min(10 * kK, 0.56 * RH);
    json kids = leaves(2);
    kids[0]["edge"] = "left";
    kids[1]["edge"] = "right";
    const TreeInk t = tree({{"root", {{"kids", kids}}}});
    ASSERT_EQ(t.labels.size(), 2u);
    const double px = kLeft + CW;
    const double leftMid = (px + kLeft + CW / 2) / 2, rightMid = (px + kLeft + 1.5 * CW) / 2;
    const auto left = inkSpan({t.labels[0]}), right = inkSpan({t.labels[1]});
    EXPECT_NEAR(left.second, leftMid - 20 * kU, 1);
    EXPECT_NEAR(right.first, rightMid + 20 * kU, 1);
    // Halfway down the edge, lifted by 1.15 sizes to the top of the line.
    const double s = 0.78 * kText;
    EXPECT_NEAR(t.labels[0]->size, s, 1e-9);
    const double midY = ((kTop + RH / 2 + NH / 2 + 2 * kU) + (kTop + 1.5 * RH - NH / 2 - 3 * kU)) / 2;
    EXPECT_NEAR(t.labels[0]->runs.front().y, midY - 1.15 * s + s, 2.5);

    // A long label on an edge going left never starts left of the figure.
    kids[0]["edge"] = "a label far too long to fit on the left of its edge";
    const TreeInk pushed = tree({{"root", {{"kids", kids}}}, {"x", 0}, {"w", 30}});
    EXPECT_NEAR(inkSpan({pushed.labels[0]}).first, kOx, 1);

    // A vertical edge has its label 10 u right of it.
    const TreeInk vertical = tree({{"root", {{"kids", {{{"edge", "down"}}}}}}});
    EXPECT_NEAR(inkSpan(vertical.labels).first, kLeft + kAreaW / 2 + 10 * kU, 1);
}

TEST(FigTree, NodeWashes) {
    struct Case {
        json node;
        std::vector<Color> washes;
    } cases[] = {
        {{{"fill", "blue"}}, {Fig::markerColor("blue")}},
        {{{"fill", "none"}}, {Fig::markerColor("yellow")}},  // any name washes, in the default colour
        {{{"fill", "Purple"}}, {Ink::marker("violet")}},
        {{{"hl", true}}, {Fig::markerColor("yellow")}},
        {{{"fill", "teal"}, {"hl", true}}, {Ink::marker("teal"), Fig::markerColor("yellow")}},
        {{{"fill", ""}, {"hl", false}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.node.dump());
        json root = c.node;
        root["text"] = "x";
        const TreeInk t = tree({{"root", root}});
        ASSERT_EQ(t.washes.size(), c.washes.size());
        for (size_t i = 0; i < c.washes.size(); ++i) {
            EXPECT_EQ(t.washes[i]->color, c.washes[i]);
            EXPECT_EQ(t.washes[i]->blend, BlendMode::multiply);
            EXPECT_EQ(t.ops[i].get(), t.washes[i]);  // settled under the outline and text
            // A rectangle 1.5 u inside the node.
            const Rect w = t.washes[i]->path.boundingBox();
            EXPECT_NEAR(w.width(), t.nodes[0].width() - 3 * kU, 1e-9);
            EXPECT_NEAR(w.height(), t.nodes[0].height() - 3 * kU, 1e-9);
        }
    }
    // Circles wash the inscribed ellipse.
    const TreeInk oval = tree({{"root", {{"fill", "red"}}}, {"shape", "circle"}});
    ASSERT_EQ(oval.washes.size(), 1u);
    EXPECT_EQ(subpaths(oval.washes[0]->path), 1);
    EXPECT_TRUE(std::any_of(oval.washes[0]->path.elements().begin(), oval.washes[0]->path.elements().end(),
                            [](const Path::Element& e) { return e.verb == Path::Verb::cubic; }));
}

TEST(FigTree, ElbowNodesShareTheSmallestTextSize) {
    json kids = json::array({{{"text", "a"}}, {{"text", "a rather long node text that has to shrink"}}});
    auto sizes = [](const TreeInk& t) {
        std::vector<double> out;
        for (const PhraseOp* p : t.texts) out.push_back(p->size);
        return out;
    };
    const auto straight = sizes(tree({{"root", {{"kids", kids}}}}));
    const auto elbow = sizes(tree({{"root", {{"kids", kids}}}, {"elbow", true}}));
    ASSERT_GE(straight.size(), 2u);
    ASSERT_GE(elbow.size(), 2u);
    // Straight edges: the short text keeps its own size, larger than the long one's.
    EXPECT_GT(straight.front(), straight.back());
    // Elbow connectors: one size for all, the long text's.
    for (double s : elbow) EXPECT_DOUBLE_EQ(s, elbow.back());
    EXPECT_LT(elbow.front(), straight.front());
}

TEST(FigTree, InkOrderAndColours) {
    json kids = leaves(2);
    kids[0]["edge"] = "yes";
    kids[1]["c"] = "red";
    const TreeInk t = tree({{"root", {{"text", "q"}, {"kids", kids}}}, {"edge", "arrow"}, {"ec", "blue"}, {"c", "green"}});
    // Edges, heads, labels, then each node's outline and text.
    ASSERT_GE(t.ops.size(), 4u);
    EXPECT_EQ(t.ops[0].get(), t.edges);
    EXPECT_EQ(t.ops[1].get(), t.heads);
    EXPECT_EQ(t.edges->pen.color, Ink::color("blue", Ink::ink));
    EXPECT_EQ(t.heads->pen, t.edges->pen);
    EXPECT_EQ(as<PhraseOp>(t.ops[2]), t.labels.front());
    ASSERT_EQ(t.texts.size(), 3u);
    EXPECT_EQ(t.texts[0]->runs.front().color, Ink::color("green", Ink::ink));  // the item's colour
    EXPECT_EQ(t.texts[2]->runs.front().color, Ink::color("red", Ink::ink));    // its own
    // Default edge colour grey; shape "none" draws no outlines.
    const TreeInk bare = tree({{"root", {{"text", "q"}, {"kids", leaves(2)}}}, {"shape", "none"}});
    EXPECT_EQ(bare.edges->pen.color, Ink::color("grey", Ink::ink));
    EXPECT_TRUE(bare.nodes.empty());
    EXPECT_EQ(bare.texts.size(), 3u);
}
