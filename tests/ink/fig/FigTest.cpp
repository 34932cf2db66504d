#include "FigTestSupport.h"

#include "ink/Ink.h"

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

std::vector<const StrokeOp*> strokes(const std::vector<InkOpRef>& ops) { return all<StrokeOp>(ops); }

}  // namespace

TEST(FigDraw, OnlyObjectsAreDrawn) {
    const std::string line = R"({"k":"line","pts":[[0,0],[10,10]]})";
    auto mixed = drawn("[3, \"line\", null, [1,2], " + line + "]");
    EXPECT_TRUE(sameInk(mixed, drawn("[" + line + "]")));
    EXPECT_EQ(mixed.size(), 1u);
    EXPECT_TRUE(drawn(R"({"k":"line"})").empty());  // not a list at all
    EXPECT_TRUE(drawn(R"([{"k":"LINE","pts":[[0,0],[10,10]]}, {"k":"nothing"}, {}])").empty());
}

TEST(FigDraw, LinesAndArrowheads) {
    struct Case {
        const char* item;
        size_t strokes;  // the line, plus one for its heads
        int headStrokes; // sub-paths of the heads: four per head
    } cases[] = {
        {R"({"k":"line","pts":[[0,0],[30,0]]})", 1, 0},
        {R"({"k":"line","pts":[[5,5]],"x1":0,"x2":30})", 0, 0},  // one point: no fallback
        {R"({"k":"line","x1":0,"y1":0,"x2":30,"y2":0})", 1, 0},
        {R"({"k":"line","pts":"junk","x2":30})", 1, 0},
        {R"({"k":"arrow","pts":[[0,0],[30,0]]})", 2, 4},
        {R"({"k":"line","pts":[[0,0],[30,0]],"arrow":"<>"})", 2, 8},
        {R"({"k":"arrow","pts":[[0,0],[30,0]],"arrow":"<"})", 2, 4},
        {R"({"k":"arrow","pts":[[0,0],[30,0]],"arrow":"-"})", 1, 0},
        {R"({"k":"arrow","pts":[[0,0]],"arrow":"<>"})", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        auto ops = drawn(std::string("[") + c.item + "]");
        ASSERT_EQ(ops.size(), c.strokes);
        if (c.strokes == 2) {
            EXPECT_EQ(subpaths(as<StrokeOp>(ops[1])->path), c.headStrokes);
        }
    }
}

TEST(FigDraw, DashedLineIsOnePassWithItsPattern) {
    auto ops = drawn(R"([{"k":"line","pts":[[0,0],[30,0],[30,20]],"dash":true}])");
    ASSERT_EQ(ops.size(), 1u);
    auto s = as<StrokeOp>(ops[0]);
    EXPECT_EQ(subpaths(s->path), 2);  // one stroke per segment
    ASSERT_TRUE(s->pen.dash);
    EXPECT_EQ(*s->pen.dash, (std::vector<double>{14 * kU, 11 * kU}));
    auto solidOps = drawn(R"([{"k":"line","pts":[[0,0],[30,0],[30,20]]}])");
    auto solid = as<StrokeOp>(solidOps[0]);
    EXPECT_EQ(subpaths(solid->path), 4);
    EXPECT_FALSE(solid->pen.dash);
}

TEST(FigDraw, ArrowheadFollowsTheCourseNotTheHook) {
    // A long line to the right ending in a tiny hook downwards.
    auto ops = drawn(R"([{"k":"arrow","pts":[[0,20],[60,20],[60.3,20.4]]}])");
    ASSERT_EQ(ops.size(), 2u);
    const Rect head = ops[1]->bounds();
    const Point tip{kOx + 60.3 * kK, kOy + 20.4 * kK};
    const double size = kU * (2 * kLine / kPw + 15);
    EXPECT_LT(head.maxX(), tip.x + 3);        // barbs trail to the left of the tip
    EXPECT_NEAR(head.midY(), tip.y, 0.25 * size);  // symmetric about the line, not tilted up
}

TEST(FigDraw, StrokeWidths) {
    struct Case {
        const char* item;
        double width;
    } cases[] = {
        {R"({"k":"line","pts":[[0,0],[9,9]],"w":2})", 2 * kLine},
        {R"({"k":"line","pts":[[0,0],[9,9]],"w":10})", 3 * kLine},
        {R"({"k":"line","pts":[[0,0],[9,9]],"w":0.1})", 0.4 * kLine},
        {R"({"k":"line","pts":[[0,0],[9,9]],"w":"wide"})", kLine},
        {R"({"k":"rect","w":30})", kLine},  // "w" is the box's width
        {R"({"k":"rect","lw":2.5})", 2.5 * kPw},
        {R"({"k":"rect","lw":100})", 10 * kPw},
        {R"({"k":"rect","lw":0})", 0.3 * kPw},
        {R"({"k":"dot","r":2})", 1.1 * 2 * kK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const auto ops = drawn(std::string("[") + c.item + "]");
        auto ss = strokes(ops);
        ASSERT_EQ(ss.size(), 1u);
        EXPECT_DOUBLE_EQ(ss[0]->pen.width, c.width);
    }
    // The box really is 30 units wide.
    auto box = drawn(R"([{"k":"rect","x":10,"y":5,"w":30,"h":10,"r":false,"ruled":true}])");
    EXPECT_NEAR(box[0]->bounds().width(), 30 * kK + 2 * kLine, 1e-9);  // bounds are outset by the pen
}

TEST(FigDraw, FillsSitUnderTheirOutlineWithTheirPauses) {
    auto filled = drawn(R"([{"k":"box","w":30,"h":10,"fill":"blue"}])");
    ASSERT_EQ(filled.size(), 3u);
    auto wash = as<FillOp>(filled[0]);
    ASSERT_TRUE(wash);
    EXPECT_EQ(wash->blend, BlendMode::multiply);
    EXPECT_TRUE(wash->evenOdd);
    EXPECT_EQ(wash->color, Ink::wash("blue"));
    EXPECT_EQ(wash->pause, 0.12);
    auto hatch = as<StrokeOp>(filled[1]);
    EXPECT_EQ(hatch->pen.blend, BlendMode::multiply);
    EXPECT_EQ(hatch->pen.color, Ink::fill("blue"));
    EXPECT_DOUBLE_EQ(hatch->pen.width, 1.9 * kPw);
    EXPECT_EQ(hatch->pace(), 3.2);
    EXPECT_EQ(hatch->pause, 0);
    EXPECT_EQ(as<StrokeOp>(filled[2])->pen.blend, BlendMode::normal);

    auto plain = drawn(R"([{"k":"box","w":30,"h":10}])");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0]->pause, 0.24);

    for (const char* none : {R"("none")", R"("NoNe")", R"("")"}) {
        auto ops = drawn(std::string(R"([{"k":"circle","fill":)") + none + "}]");
        EXPECT_EQ(ops.size(), 1u) << none;
    }
    // A name that is no colour: the grey wash and light grey hatching.
    auto grey = drawn(R"([{"k":"polygon","pts":[[0,0],[30,0],[15,20]],"fill":"plaid"}])");
    ASSERT_EQ(grey.size(), 3u);
    EXPECT_EQ(as<FillOp>(grey[0])->color, Ink::wash("grey"));
    EXPECT_EQ(as<StrokeOp>(grey[1])->pen.color, Color::hex(0xced4da));
}

TEST(FigDraw, SettlingKeepsWashesUnderTheirOwnItemOnly) {
    auto ops = drawn(R"([{"k":"line","pts":[[0,0],[90,30]]},
                         {"k":"circle","x":30,"y":20,"r":10,"fill":"red","text":"hi"}])");
    ASSERT_GE(ops.size(), 5u);
    EXPECT_TRUE(as<StrokeOp>(ops[0]));  // the earlier item stays under the wash
    EXPECT_TRUE(as<FillOp>(ops[1]));
    EXPECT_EQ(ops[1]->pause, 0.12);
    for (size_t i = 2; i < ops.size(); ++i) EXPECT_FALSE(as<FillOp>(ops[i])) << i;
}

TEST(FigDraw, RuledItemsDrawAlikeAnywhere) {
    const std::string a = R"({"k":"line","pts":[[0,10],[90,10]],"ruled":true,"id":"base"})";
    const std::string b = R"({"k":"line","pts":[[0,10],[90,10]],"ruled":true,"id":"base","c":"ink"})";
    auto early = drawn("[" + a + R"(, {"k":"circle"}])");
    auto late = drawn(R"([{"k":"circle"}, {"k":"box"}, )" + b + "]");
    ASSERT_EQ(early.size(), 2u);
    ASSERT_EQ(late.size(), 3u);
    EXPECT_TRUE(sameInk(early[0], late[2]));

    // Straight and single: every point lies on the line.
    auto s = as<StrokeOp>(early[0]);
    EXPECT_EQ(subpaths(s->path), 1);
    for (const auto& e : s->path.elements())
        for (int i = 0; i < e.count(); ++i) EXPECT_EQ(e.pts[i].y, kOy + 10 * kK);

    // The figure's own pen does not advance for a ruled item.
    auto without = drawn(R"([{"k":"circle"}])");
    EXPECT_TRUE(sameInk(early[1], without[0]));
}

TEST(FigDraw, NumbersAreClampedOrDefaulted) {
    auto far = drawn(R"([{"k":"line","pts":[[0,0],[5000,0]],"ruled":true}])");
    EXPECT_EQ(as<StrokeOp>(far[0])->path.currentPoint().x, kOx + 1000 * kK);
    auto word = drawn(R"([{"k":"rect","x":"abc","y":"7","w":10,"h":10,"r":false,"ruled":true}])");
    EXPECT_EQ(as<StrokeOp>(word[0])->path.elements()[0].pts[0], (Point{kOx, kOy + 7 * kK}));
}

TEST(FigDraw, ListsAreBounded) {
    std::string pts = "[";
    for (int i = 0; i < 300; ++i) pts += (i ? "," : "") + std::string("[") + std::to_string(i % 90) + "," + std::to_string(i % 7) + "]";
    pts += "]";
    auto poly = drawn(R"([{"k":"line","ruled":true,"pts":)" + pts + "}]");
    EXPECT_EQ(subpaths(as<StrokeOp>(poly[0])->path), static_cast<int>(Fig::kMaxPoints) - 1);

    std::string dots = "[";
    for (int i = 0; i < 600; ++i) dots += (i ? "," : "") + std::string(R"({"k":"dot"})");
    dots += "]";
    EXPECT_EQ(drawn(dots).size(), Fig::kMaxItems);
}

TEST(FigDraw, EllipseRadii) {
    struct Case {
        const char* item;
        double w, h;  // outline extent without the pen
    } cases[] = {
        {R"({"k":"circle","x":50,"y":20,"r":10,"ruled":true})", 20, 20},
        {R"({"k":"ellipse","x":50,"y":20,"r":-10,"ruled":true})", 20, 20},
        {R"({"k":"ellipse","x":50,"y":20,"rx":20,"ry":5,"ruled":true})", 40, 10},
        {R"({"k":"ellipse","x":50,"y":20,"r":3,"rx":"x","ruled":true})", 16, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Rect b = drawn(std::string("[") + c.item + "]")[0]->bounds();
        EXPECT_NEAR(b.width() - 2 * kLine, c.w * kK, 0.1 * c.w * kK);
        EXPECT_NEAR(b.height() - 2 * kLine, c.h * kK, 0.1 * c.h * kK);
    }
}

TEST(FigDraw, PathsFillClosedShapesAndOpenOnesOnRequest) {
    struct Case {
        const char* item;
        size_t ops;
    } cases[] = {
        {R"({"k":"path","d":"M0 0 L20 0 L20 20 Z"})", 1},
        {R"({"k":"path","d":"M0 0 L20 0 L20 20 Z","fill":"red"})", 3},
        {R"({"k":"path","d":"M0 0 L20 0 L20 20","fill":"red"})", 3},
        {R"({"k":"path","d":"M0 0 L20 0 L20 20","fill":null})", 1},
        {R"({"k":"path","d":"M0 0 L20 0","fill":"red"})", 1},  // two points fill nothing
        {R"({"k":"path","d":"M0 0 L20 0","arrow":">"})", 2},
        {R"({"k":"path","d":"M 5"})", 0},
        {R"({"k":"poly","pts":[[0,0],[10,0]],"fill":"red"})", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        EXPECT_EQ(drawn(std::string("[") + c.item + "]").size(), c.ops);
    }
}

TEST(FigDraw, SameInputSameInk) {
    const char* items = R"([{"k":"arrow","pts":[[0,0],[40,30]]},{"k":"box","fill":"teal","text":"x"},
                            {"k":"doodle","name":"star"},{"k":"label","text":"hi","x":50,"y":30,"to":[90,5]}])";
    EXPECT_TRUE(sameInk(drawn(items, 9), drawn(items, 9)));
    EXPECT_FALSE(sameInk(drawn(items, 9), drawn(items, 10)));
}
