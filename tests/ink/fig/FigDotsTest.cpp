#include "FigTestSupport.h"

#include "ink/Ink.h"

#include <cmath>
#include <set>

using namespace nolby;
using namespace nolby::testing;

namespace {

// The extent of each sub-path: one per filled dot, two per ring.
std::vector<Rect> pieces(const Path& path) {
    std::vector<Rect> out;
    Path piece;
    for (const auto& e : path.elements()) {
        if (e.verb == Path::Verb::move && !piece.isEmpty()) {
            out.push_back(piece.boundingBox());
            piece = Path();
        }
        if (e.verb == Path::Verb::move) piece.moveTo(e.pts[0]);
        if (e.verb == Path::Verb::line) piece.lineTo(e.pts[0]);
        if (e.verb == Path::Verb::cubic) piece.curveTo(e.pts[0], e.pts[1], e.pts[2]);
        if (e.verb == Path::Verb::quad) piece.quadTo(e.pts[0], e.pts[1]);
    }
    if (!piece.isEmpty()) out.push_back(piece.boundingBox());
    return out;
}

// Row-major indices of the dots whose centres the filled scribbles sit on, for a grid at
// (10, 5) with the default pitch of 6 units.
std::set<int> filledIndices(const StrokeOp& blobs, int cols) {
    std::set<int> out;
    for (const Rect& r : pieces(blobs.path)) {
        const int c = static_cast<int>(std::lround(((r.midX() - kOx) / kK - 10 - 3) / 6));
        const int row = static_cast<int>(std::lround(((r.midY() - kOy) / kK - 5 - 3) / 6));
        out.insert(row * cols + c);
    }
    return out;
}

}  // namespace

TEST(FigDots, DefaultGridIsThreeRowsOfFourRings) {
    auto ops = drawn(R"([{"k":"dots"}])");
    ASSERT_EQ(ops.size(), 1u);
    auto rings = as<StrokeOp>(ops[0]);
    ASSERT_TRUE(rings);
    auto ps = pieces(rings->path);
    ASSERT_EQ(ps.size(), 24u);  // 12 rings of two strokes
    // The first ring is centred half a pitch inside (10, 5), the last 3.5 pitches across.
    const double F = 6 * kK;
    EXPECT_NEAR(ps[0].midX(), kOx + 10 * kK + F / 2, 0.1 * F);
    EXPECT_NEAR(ps[0].midY(), kOy + 5 * kK + F / 2, 0.1 * F);
    EXPECT_NEAR(ps[23].midX(), kOx + 10 * kK + 3.5 * F, 0.1 * F);
    EXPECT_NEAR(ps[23].midY(), kOy + 5 * kK + 2.5 * F, 0.1 * F);
    EXPECT_NEAR(ps[0].width(), 0.64 * F, 0.1 * F);
    EXPECT_EQ(rings->pen, Pen::usual(Ink::ink, 2 * kPw));
    EXPECT_EQ(rings->pace(), 2.5);
    EXPECT_EQ(rings->pause, 0.24);  // the item's lead-in
}

TEST(FigDots, RowsAndColumnsAreClamped) {
    struct Case {
        const char* keys;
        size_t dots;
    } cases[] = {
        {R"("rows":0,"cols":1)", 1},     {R"("rows":1,"cols":1)", 1},   {R"("rows":50,"cols":1)", 20},
        {R"("rows":1,"cols":50)", 30},   {R"("rows":-4,"cols":0)", 1},  {R"("rows":2.5,"cols":"3")", 9},
        {R"("rows":"lots","cols":1)", 3}, {R"("rows":1e300,"cols":1e300)", 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = drawn(std::string(R"([{"k":"dots",)") + c.keys + "}]");
        ASSERT_EQ(ops.size(), 1u);
        EXPECT_EQ(pieces(as<StrokeOp>(ops[0])->path).size(), 2 * c.dots);
    }
}

TEST(FigDots, FilledDots) {
    struct Case {
        const char* fill;
        std::set<int> filled;
    } cases[] = {
        {"5", {0, 1, 2, 3, 4}},              // the first row and the first dot of the second
        {"100", {0, 1, 2, 3, 4, 5, 6, 7}},   // all of them
        {"[7, 0, 99]", {0, 7}},              // the last and the first; 99 is off the grid
        {R"(["3", 3, 2.6, -1, null])", {3}},
        {"\"2\"", {0, 1}},                   // a numeric string counts
        {"2.5", {0, 1, 2}},                  // halves round away from zero
        {"true", {}},                        // a Boolean is not a count
        {"0", {}},
        {"-3", {}},
        {"\"some\"", {}},
        {"{}", {}},
        {"null", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fill);
        auto ops = drawn(std::string(R"([{"k":"dots","rows":2,"cols":4,"fill":)") + c.fill + "}]");
        if (c.filled.empty()) {
            EXPECT_EQ(ops.size(), 1u);  // rings only
            continue;
        }
        ASSERT_EQ(ops.size(), 2u);
        auto blobs = as<StrokeOp>(ops[1]);
        EXPECT_EQ(filledIndices(*blobs, 4), c.filled);
        EXPECT_EQ(pieces(blobs->path).size(), c.filled.size());
    }
}

TEST(FigDots, FilledDotsAreThickScribblesInTheirColour) {
    auto ops = drawn(R"([{"k":"dots","gap":10,"fill":1,"fc":"teal","c":"red"}])");
    ASSERT_EQ(ops.size(), 2u);
    const double F = 10 * kK;
    EXPECT_EQ(as<StrokeOp>(ops[0])->pen, Pen::usual(Ink::color("red", Ink::ink), 2 * kPw));
    EXPECT_EQ(as<StrokeOp>(ops[1])->pen, Pen::usual(Ink::color("teal", Ink::ink), 0.304 * F));
    EXPECT_EQ(ops[1]->pace(), 2.5);
    EXPECT_EQ(ops[1]->pause, 0);
    // Default orange; an unknown name gives ink.
    auto orange = drawn(R"([{"k":"dots","fill":1}])");
    EXPECT_EQ(as<StrokeOp>(orange[1])->pen.color, Ink::color("orange", Ink::ink));
    auto unknown = drawn(R"([{"k":"dots","fill":1,"fc":"mauve"}])");
    EXPECT_EQ(as<StrokeOp>(unknown[1])->pen.color, Ink::ink);
}

TEST(FigDots, EachFilledDotDrawsBeforeItsRing) {
    auto fig = makeFig(23);
    Rough rough = fig->rough;
    fig->draw(nlohmann::json::parse(R"([{"k":"dots","rows":2,"cols":2,"x":20,"y":10,"gap":8,"fill":[1,2]}])"));
    ASSERT_EQ(fig->ops.size(), 2u);
    const double F = 8 * kK, x0 = kOx + 20 * kK, y0 = kOy + 10 * kK;
    Path rings, blobs;
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            const double cx = x0 + F * c + F / 2, cy = y0 + F * r + F / 2;
            if (r * 2 + c == 1 || r * 2 + c == 2) rough.ellipse(blobs, cx, cy, 0.32 * F, 0.32 * F, 1);
            rough.ellipse(rings, cx, cy, 0.64 * F, 0.64 * F, 2);
        }
    }
    EXPECT_EQ(as<StrokeOp>(fig->ops[0])->path, rings);
    EXPECT_EQ(as<StrokeOp>(fig->ops[1])->path, blobs);
}

TEST(FigDots, GroupBoxes) {
    struct Case {
        const char* keys;
        int boxes;  // per row
    } cases[] = {
        {R"("cols":12,"group":5)", 3},  // 5, 5 and the remaining 2
        {R"("cols":12,"group":12)", 1},
        {R"("cols":12,"group":1)", 12},
        {R"("cols":12,"group":13)", 0},
        {R"("cols":12,"group":0)", 0},
        {R"("cols":12,"group":-5)", 0},
        {R"("cols":12,"group":"4")", 3},
        {R"("cols":12,"group":"four")", 0},
        {R"("cols":12,"group":true)", 12},  // a Boolean reads as 1 here, like any number key
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = drawn(std::string(R"([{"k":"dots","rows":2,)") + c.keys + "}]");
        if (c.boxes == 0) {
            EXPECT_EQ(ops.size(), 1u);
            continue;
        }
        ASSERT_EQ(ops.size(), 2u);
        auto boxes = as<StrokeOp>(ops[1]);
        // A rounded box of one pass: four sides and four corners.
        EXPECT_EQ(pieces(boxes->path).size(), 2u * c.boxes * 8);
        EXPECT_EQ(boxes->pen, Pen::usual(Ink::color("blue", Ink::ink), 2.4 * kPw));
        EXPECT_EQ(boxes->pace(), 1);
        EXPECT_EQ(boxes->pause, 0.35);
    }

    // Ruled boxes are straight: the last box of a row holds the remaining two dots.
    auto ops = drawn(R"([{"k":"dots","rows":1,"cols":12,"group":5,"gc":"green","ruled":true,"fill":2}])");
    ASSERT_EQ(ops.size(), 3u);  // rings, filled dots, boxes
    auto boxes = as<StrokeOp>(ops[2]);
    EXPECT_EQ(boxes->pen.color, Ink::color("green", Ink::ink));
    const double F = 6 * kK, x0 = kOx + 10 * kK, y0 = kOy + 5 * kK;
    const Rect all = Fig::bounds(boxes->lines().front());
    EXPECT_NEAR(all.minY(), y0 + 0.08 * F, 1e-9);
    Rect ink = Rect::null();
    for (const auto& line : boxes->lines()) ink = ink.united(Fig::bounds(line));
    EXPECT_NEAR(ink.minX(), x0 + 0.08 * F, 1e-9);
    EXPECT_NEAR(ink.maxX(), x0 + 12 * F - 0.08 * F, 1e-9);
    EXPECT_NEAR(ink.maxY(), y0 + 0.92 * F, 1e-9);
}

TEST(FigDots, NegativeGapIsThePitch) {
    EXPECT_TRUE(sameInk(drawn(R"([{"k":"dots","gap":-6,"fill":3,"group":2}])"),
                        drawn(R"([{"k":"dots","gap":6,"fill":3,"group":2}])")));
    // A gap of zero puts every dot on one point; nothing breaks.
    auto flat = drawn(R"([{"k":"dots","gap":0,"fill":3,"group":2}])");
    EXPECT_EQ(flat.size(), 3u);
}

TEST(FigDots, AGridSpansAtMostTheWholeRangeOfCoordinates) {
    // Thirty columns 1000 units apart would reach 30,000 units past the figure; the pitch
    // shrinks until the grid spans the 2000 units of the whole range, the longer side deciding.
    nlohmann::json capped = nlohmann::json::parse(R"([{"k":"dots","rows":20,"cols":30,"fill":600,"group":4}])");
    capped[0]["gap"] = 2 * Fig::kLimit / 30;
    for (const char* gap : {"1000", "-1000", "1e300"}) {
        SCOPED_TRACE(gap);
        auto huge = drawn(std::string(R"([{"k":"dots","rows":20,"cols":30,"fill":600,"group":4,"gap":)") + gap + "}]");
        EXPECT_TRUE(sameInk(huge, drawn(capped.dump())));
        Rect ink = Rect::null();
        for (const auto& op : huge) ink = ink.united(op->bounds());
        EXPECT_LT(ink.width(), (2 * Fig::kLimit + 10) * kK);
    }
    // Tall grids are bound by their rows; a grid within the range keeps its gap.
    auto tall = drawn(R"([{"k":"dots","rows":20,"cols":2,"gap":500}])");
    auto within = drawn(R"([{"k":"dots","rows":20,"cols":2,"gap":100}])");
    EXPECT_TRUE(sameInk(tall, within));
    EXPECT_FALSE(sameInk(within, drawn(R"([{"k":"dots","rows":20,"cols":2,"gap":99}])")));
}
