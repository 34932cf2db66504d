// The teacher's marks, links and dive holes: colours, where each mark sits (and how it
// keeps to the page), where its note goes, the link's arrow and text, the hole's dots.
#include "BlocksTestSupport.h"
#include "../Subpaths.h"
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/Rough.h"
#include "ink/blocks/Blocks.h"
#include "ink/fig/Fig.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/WrapOp.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

using namespace nolby;
using namespace nolby::testing;

namespace {

Color named(const char* name) { return Ink::color(std::string(name), Ink::ink); }

double handWidth(const std::string& text) {
    Faces::registerFrom();  // before the first font is made: fonts are cached per size
    return textWidth(text, *Faces::font(Faces::Face::hand, 14.5));
}

}  // namespace

TEST(BlocksMarks, ColoursByKind) {
    struct Case {
        const char* json;
        Color color;
    };
    const Case cases[] = {
        {R"({"t":"mark","kind":"cross"})", named("red")},
        {R"({"t":"mark","kind":"cross","c":""})", named("red")},
        {R"({"t":"mark","kind":"wavy"})", named("red")},
        {R"({"t":"mark","kind":"tick"})", named("green")},
        {R"({"t":"mark"})", named("green")},
        {R"({"t":"mark","kind":"Cross"})", named("green")},
        {R"({"t":"mark","kind":"circle","c":"blue"})", named("blue")},
        {R"({"t":"mark","kind":"cross","c":"teal"})", named("teal")},
        {R"({"t":"mark","kind":"underline","c":"banana"})", Ink::ink},
        {R"({"t":"mark","kind":"arrow","c":"#1a2b3c"})", Color::hex(0x1a2b3c)},
    };
    const Rect box{100, 200, 60, 20};
    for (const Case& c : cases) {
        auto ops = page().mark(obj(c.json), box, 5);
        ASSERT_EQ(ops.size(), 1u) << c.json;
        auto stroke = sharedAs<StrokeOp>(ops[0]);
        ASSERT_TRUE(stroke) << c.json;
        EXPECT_EQ(stroke->pen, Pen::usual(c.color, 2)) << c.json;
        EXPECT_EQ(stroke->pace(), 1);
        EXPECT_EQ(stroke->pause, 0);
    }
    // An unknown kind ("Cross" included) draws exactly the tick.
    auto tick = sharedAs<StrokeOp>(page().mark(obj(R"({"kind":"tick"})"), box, 5)[0]);
    for (const char* kind : {"Cross", "smiley", ""}) {
        nlohmann::json o{{"kind", kind}};
        EXPECT_EQ(sharedAs<StrokeOp>(page().mark(J(o), box, 5)[0])->path, tick->path) << kind;
    }
}

TEST(BlocksMarks, GeometryOfEachKind) {
    Blocks b = page();
    const Rect box{100, 200, 60, 20};  // minX 100, maxX 160, minY 200, maxY 220, mid (130, 210)
    struct Case {
        const char* kind;
        Rect around;  // where the ink should lie, give or take the wobble
    };
    const Case cases[] = {
        {"circle", {100 - 9, 200 - 7, 78, 34}},
        {"underline", {98, 223, 65, 1}},
        {"cross", {168, 202, 16, 16}},          // centred at (176, 210)
        {"tick", {171, 195, 26, 26}},           // from (171, 210) down to (181, 221), up to (197, 195)
        {"arrow", {164, 190, 42, 17}},          // from (206, 194) round to the box at (164, 207)
    };
    for (const Case& c : cases) {
        nlohmann::json o{{"kind", c.kind}};
        auto ops = b.mark(J(o), box, 8);
        ASSERT_EQ(ops.size(), 1u) << c.kind;
        Rect got = ops[0]->bounds();
        const double slack = 5;  // the pen's width and the hand's wobble
        EXPECT_NEAR(got.minX(), c.around.minX(), slack) << c.kind;
        EXPECT_NEAR(got.maxX(), c.around.maxX(), slack) << c.kind;
        EXPECT_NEAR(got.minY(), c.around.minY(), slack) << c.kind;
        EXPECT_NEAR(got.maxY(), c.around.maxY(), slack) << c.kind;
    }
}

TEST(BlocksMarks, MarksNearTheRightEdgeStayOnThePage) {
    const double pageW = 400;
    const Rect box{300, 100, pageW - 20 - 300, 20};  // ends at pageW − 20
    struct Case {
        const char* kind;
        double left, right;  // the ink's extent across, give or take the wobble
    };
    const Case cases[] = {
        {"tick", pageW - 36, pageW - 10},
        {"cross", pageW - 22, pageW - 6},
    };
    for (const Case& c : cases) {
        nlohmann::json o{{"kind", c.kind}};
        auto ops = page(pageW).mark(J(o), box, 3);
        Rect got = ops.at(0)->bounds();
        EXPECT_NEAR(got.maxX(), c.right, 4) << c.kind;
        EXPECT_NEAR(got.minX(), c.left, 4) << c.kind;
    }
    // The tick and the arrow start where the rule puts them (the arrow's tail is pulled in;
    // its bow still reaches 20 points past the box).
    auto start = [&](const char* kind) {
        nlohmann::json o{{"kind", kind}};
        return sharedAs<StrokeOp>(page(pageW).mark(J(o), box, 3).at(0))->path.elements().front().pts[0];
    };
    EXPECT_NEAR(start("tick").x, pageW - 36, 1);
    EXPECT_NEAR(start("arrow").x, pageW - 10, 1);

    // The star keeps its centre 16 points inside the page.
    auto star = page(pageW).mark(obj(R"({"kind":"star"})"), box, 3);
    Rect all = Rect::null();
    for (const auto& op : star) all = all.united(op->bounds());
    EXPECT_NEAR(all.midX(), pageW - 16, 2);
    EXPECT_LT(all.maxX(), pageW);
}

TEST(BlocksMarks, StarIsTheDoodleAndNoStrokeOfItsOwn) {
    const Rect box{100, 200, 60, 20};
    auto ops = page().mark(obj(R"({"kind":"star","c":"orange"})"), box, 12);
    Fig fig(12, 0, 0, 1, 0, 12.5, 1.55);
    fig.doodle("star", 160 + 17, 200 + 6, 20, named("orange"), std::nullopt);
    ASSERT_EQ(ops.size(), fig.ops.size());
    for (size_t i = 0; i < ops.size(); ++i) {
        EXPECT_STREQ(ops[i]->className(), fig.ops[i]->className());
        EXPECT_EQ(ops[i]->bounds(), fig.ops[i]->bounds());
    }
    // Its wash first (multiply), its outline last in the doodle's pen; no width-2 mark stroke.
    auto wash = sharedAs<FillOp>(ops.front());
    ASSERT_TRUE(wash);
    EXPECT_EQ(wash->blend, BlendMode::multiply);
    for (const auto& op : ops)
        if (auto s = sharedAs<StrokeOp>(op)) {
            EXPECT_NE(s->pen.width, 2);
        }
    EXPECT_EQ(sharedAs<StrokeOp>(ops.back())->pen.color, named("orange"));
}

TEST(BlocksMarks, WavyLinePointsStayBelowTheRightEdge) {
    // A box 26 wide has points at minX, +6.5, +13, +19.5, alternately 1.5 and 6.5 below it.
    const Rect box{50, 80, 26, 14};
    auto ops = page().mark(obj(R"({"kind":"wavy"})"), box, 6);
    ASSERT_EQ(ops.size(), 1u);
    Rough rough(6, 1.1, 1.054, 2, 0.62);
    Path expected;
    rough.curve(expected, {{50, 95.5}, {56.5, 100.5}, {63, 95.5}, {69.5, 100.5}}, 1, 0.25);
    EXPECT_EQ(sharedAs<StrokeOp>(ops[0])->path, expected);

    // No width: no points and no line.
    EXPECT_TRUE(page().mark(obj(R"({"kind":"wavy"})"), Rect{50, 80, 0, 14}, 6).empty());
    // A box absurdly wide still makes a bounded line.
    auto wide = page().mark(obj(R"({"kind":"wavy"})"), Rect{0, 0, 9e5, 10}, 6);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_LT(wide[0]->bounds().maxX(), Blocks::kMaxMarkSteps * 6.5 + 10);
}

TEST(BlocksMarks, NoteGoesBesideOrBelow) {
    const double pageW = 400, right = pageW - 12;
    // Texts whose measured widths fall on either side of 150.
    const std::string shortNote = "well done here", longNote = "nice, now check the units";
    const double shortW = handWidth(shortNote), longW = handWidth(longNote);
    ASSERT_LT(shortW, 150);
    ASSERT_GT(longW, 150);
    ASSERT_LT(longW, 220);
    struct Case {
        const std::string* text;
        double tw, room;
        bool beside;
    };
    const Case cases[] = {
        {&shortNote, shortW, shortW - 10, false},  // narrow, but the room is narrower
        {&shortNote, shortW, shortW + 10, true},
        {&longNote, longW, 200, true},             // wide and the room is over 150
        {&longNote, longW, 150, false},            // wide and the room is only 150
    };
    for (const Case& c : cases) {
        // room = right − (maxX + 40)
        const double maxX = right - 40 - c.room;
        const Rect box{maxX - 30, 300, 30, 20};
        nlohmann::json o{{"kind", "tick"}, {"note", *c.text}, {"c", "violet"}};
        auto ops = page(pageW).mark(J(o), box, 9);
        const double x = c.beside ? maxX + 40 : std::min(right - std::min(c.tw, 220.0), box.minX());
        const double top = c.beside ? 310 - 11.6 : 320 + 9;

        Hand hand(10);
        auto written = hand.write(*c.text, x, top, std::min(right - x, c.tw + 4), 14.5, named("violet"),
                                  Faces::Face::hand, 15.95);
        ASSERT_EQ(ops.size(), 1 + written.ops.size()) << c.room;
        EXPECT_TRUE(sharedAs<StrokeOp>(ops[0]));
        for (size_t i = 0; i < written.ops.size(); ++i) {
            auto turned = sharedAs<RotOp>(ops[i + 1]);
            ASSERT_TRUE(turned);
            EXPECT_EQ(turned->deg, -3);
            EXPECT_EQ(turned->px, x) << c.room;
            EXPECT_EQ(turned->py, top) << c.room;
            EXPECT_EQ(turned->pause, written.ops[i]->pause);
            EXPECT_EQ(turned->inner->bounds(), written.ops[i]->bounds());
        }
        auto words = sharedAs<PhraseOp>(sharedAs<RotOp>(ops[1])->inner);
        ASSERT_TRUE(words);
        EXPECT_EQ(words->runs.at(0).x, x);
        EXPECT_EQ(words->runs.at(0).color, named("violet"));
    }
}

TEST(BlocksMarks, BoxesThatAreNotOnThePageMarkNothing) {
    const double inf = std::numeric_limits<double>::infinity();
    // Null, not finite, out of reach, or a corner in reach whose far edge is not.
    for (const Rect& box : {Rect::null(), Rect{0, 0, inf, 10}, Rect{NAN, 0, 10, 10}, Rect{1e300, 0, 10, 10},
                            Rect{0, 0, 1e308, 10}, Rect{0, -2e6, 10, 10}}) {
        EXPECT_FALSE(Blocks::onPage(box));
        EXPECT_TRUE(page().mark(obj(R"({"kind":"circle","note":"x"})"), box, 1).empty());
        EXPECT_TRUE(page().dive(obj(R"({})"), box, 1).empty());
    }
    EXPECT_TRUE(Blocks::onPage(Rect{-5, 0, 1e6, 1e6 - 1}));
    // A passage rectangle out of reach is skipped like any other bad entry.
    auto ops = page().dive(obj(R"({"r":[[0,0,40,12],[0,0,1e308,1e308]]})"), Rect{10, 10, 10, 10}, 1);
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(subpaths(sharedAs<FillOp>(ops[0])->path), 8);
    EXPECT_LT(ops[1]->bounds().maxX(), 80);
}

TEST(BlocksMarks, LinkArrowBowsOutToTheRight) {
    Laid laid = page().lay(obj(R"({"t":"link","from":[300,10],"to":[100,50]})"), 4);
    EXPECT_EQ(laid.height, 0);
    EXPECT_TRUE(laid.rooms.empty());
    ASSERT_EQ(laid.ops.size(), 1u);
    auto arrow = sharedAs<StrokeOp>(laid.ops[0]);
    ASSERT_TRUE(arrow);
    EXPECT_EQ(arrow->pen, Pen::usual(Ink::pencil, 1.2));
    EXPECT_EQ(arrow->pace(), 1.6);
    EXPECT_EQ(arrow->pause, 0.15);

    Rough rough(4, 0.8, 1.054, 2, 0.62);
    Path expected;
    rough.curve(expected, {{300, 10}, {326, 30}, {100, 50}}, 1, 0.4);
    rough.arrowhead(expected, 100, 50, 100 - 326, 50 - 30, 7);
    EXPECT_EQ(arrow->path, expected);
    EXPECT_GT(arrow->bounds().maxX(), 326 - 3);
    EXPECT_NEAR(arrow->bounds().minX(), 100, 3);
}

TEST(BlocksMarks, LinkTextOrNothing) {
    struct Case {
        const char* json;
        size_t ops;  // 0: empty; otherwise only text
    };
    const Case cases[] = {
        {R"({"t":"link","from":[10,20,30],"to":[100,50]})", 0},
        {R"({"t":"link","from":[10],"text":"see below"})", 0},
        {R"({"t":"link","to":[100,50]})", 0},
        {R"({"t":"link","from":[60,120]})", 0},
        {R"({"t":"link","from":[60,120],"text":""})", 0},
        {R"({"t":"link","from":[60,120],"text":"continued overleaf"})", 1},
        {R"({"t":"link","from":["60",120],"to":[1,2,3],"text":"continued overleaf"})", 1},
        // Ends out of reach of any page count as missing.
        {R"({"t":"link","from":[1e300,20],"to":[100,50]})", 0},
        {R"({"t":"link","from":[60,120],"to":[100,-1e7],"text":"continued overleaf"})", 1},
    };
    for (const Case& c : cases) {
        Laid laid = page().lay(obj(c.json), 4);
        EXPECT_EQ(laid.height, 0) << c.json;
        if (c.ops == 0) {
            EXPECT_TRUE(laid.ops.empty()) << c.json;
            continue;
        }
        Hand hand(4);
        auto written = hand.write("continued overleaf", 60, 120 - 11.6, 140, 14.5, Ink::pencil);
        ASSERT_EQ(laid.ops.size(), written.ops.size()) << c.json;
        for (const auto& op : laid.ops) EXPECT_TRUE(sharedAs<PhraseOp>(op)) << c.json;
        auto words = sharedAs<PhraseOp>(laid.ops[0]);
        EXPECT_EQ(words->runs.at(0).x, 60);
        EXPECT_EQ(words->runs.at(0).color, Ink::pencil);
        EXPECT_EQ(laid.ops[0]->bounds(), written.ops[0]->bounds());
    }
}

TEST(BlocksMarks, HoleDotsTheValidRectanglesAndPointsOut) {
    const Rect box{40, 100, 200, 40};
    struct Case {
        const char* json;
        int dots;
        double arrowMaxX, arrowMinY;  // the last rectangle's maxX and minY
    };
    const Case cases[] = {
        // The second entry has three numbers and is skipped.
        {R"({"t":"hole","r":[[0,0,40,12],[0,20,10]]})", 8, 80, 100},
        // Numbers as strings count; other elements are skipped.
        {R"({"t":"hole","r":[["0","0",40,"x",12],"junk",[10,20,30,12]]})", 8 + 6, 80, 120},
        // None valid: the box itself (x from 41 to 238.6 in steps of 5.2: 39 dots).
        {R"({"t":"hole","r":[[1,2]]})", 39, 240, 100},
        {R"({"t":"hole"})", 39, 240, 100},
        // Two points wide or less: no dots, but still the arrow.
        {R"({"t":"hole","r":[[0,0,2,12]]})", 0, 42, 100},
    };
    for (const Case& c : cases) {
        auto ops = page().dive(obj(c.json), box, 7);
        ASSERT_EQ(ops.size(), 2u) << c.json;
        auto dots = sharedAs<FillOp>(ops[0]);
        ASSERT_TRUE(dots);
        EXPECT_EQ(subpaths(dots->path), c.dots) << c.json;
        EXPECT_EQ(dots->color, kAccent.withAlpha(0.8));
        EXPECT_EQ(dots->blend, BlendMode::normal);
        EXPECT_FALSE(dots->evenOdd);

        auto arrow = sharedAs<StrokeOp>(ops[1]);
        ASSERT_TRUE(arrow);
        EXPECT_EQ(arrow->pen, Pen::usual(kAccent, 1.5));
        EXPECT_EQ(arrow->pace(), 2);
        Rough rough(7, 0.5, 1.054, 2, 0.62);
        Path expected;
        const double ax = c.arrowMaxX - 1;
        rough.lineOnce(expected, ax, c.arrowMinY - 1, ax + 6, c.arrowMinY - 7, false);
        rough.arrowhead(expected, ax + 6, c.arrowMinY - 7, 1, -1, 4);
        EXPECT_EQ(arrow->path, expected) << c.json;
    }
    // The first dot sits 1 point in, 1.2 below the rectangle, 1.9 across.
    auto first = page().dive(obj(R"({"r":[[0,0,40,12]]})"), box, 7);
    const Rect dot = Rect{40 + 1 - 0.95, 100 + 12 + 1.2 - 0.95, 1.9, 1.9};
    Path one;
    one.addEllipse(dot);
    const auto& els = sharedAs<FillOp>(first[0])->path.elements();
    ASSERT_GE(els.size(), one.elements().size());
    EXPECT_TRUE(std::equal(one.elements().begin(), one.elements().end(), els.begin()));
}

TEST(BlocksMarks, HoleArrowKeepsToThePageAndListsAreBounded) {
    // A passage running to the page's edge: the arrow stands 14 points inside it.
    auto ops = page(400).dive(obj(R"({})"), Rect{300, 50, 100, 16}, 2);
    Rough rough(2, 0.5, 1.054, 2, 0.62);
    Path expected;
    rough.lineOnce(expected, 386, 49, 392, 43, false);
    rough.arrowhead(expected, 392, 43, 1, -1, 4);
    EXPECT_EQ(sharedAs<StrokeOp>(ops.at(1))->path, expected);

    // Absurd input stays bounded: rectangles, and dots along each.
    nlohmann::json many = nlohmann::json::array();
    for (int i = 0; i < 1000; ++i) many.push_back({0, i, 12, 10});
    auto dotted = page().dive(J(nlohmann::json{{"r", many}}), Rect{0, 0, 10, 10}, 2);
    EXPECT_EQ(subpaths(sharedAs<FillOp>(dotted[0])->path), static_cast<int>(Blocks::kMaxHoleRects) * 2);
    auto wide = page().dive(obj(R"({})"), Rect{0, 0, 9e5, 10}, 2);
    EXPECT_EQ(subpaths(sharedAs<FillOp>(wide[0])->path), static_cast<int>(Blocks::kMaxMarkSteps));
}
