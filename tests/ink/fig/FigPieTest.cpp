#include "FigTestSupport.h"

#include "ink/Ink.h"

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

constexpr double kPi = 3.141592653589793;
// The default pie: centred at (50, half the figure's height of 40), radius 12.
const Point kCentre{kOx + 50 * kK, kOy + 20 * kK};
constexpr double kR = 12 * kK;

// The end of every stroke of a path (each divider is one cubic from the centre outwards).
std::vector<Point> strokeEnds(const Path& path) {
    std::vector<Point> out;
    for (const auto& e : path.elements())
        if (e.verb == Path::Verb::cubic) out.push_back(e.pts[2]);
    return out;
}

double degrees(Point p) { return std::atan2(p.y - kCentre.y, p.x - kCentre.x) * 180 / kPi; }

}  // namespace

TEST(FigPie, SlicesAndTheirDividers) {
    // Ruled pies draw exact straight dividers, so their angles can be read back.
    struct Case {
        const char* keys;
        std::vector<double> angles;  // of the dividers, in degrees, in drawing order
    } cases[] = {
        {"", {-90, 0, 90, 180}},                  // four equal slices from 12 o'clock
        {R"("n":0)", {}},                         // one slice: no dividers
        {R"("n":-3)", {}},
        {R"("n":"3")", {-90, 30, 150}},
        {R"("parts":[1,"abc",2])", {-90, 0, 90}}, // an unreadable size counts 1
        {R"("parts":[1,-5,null,1])", {-90, 30, 30, 150}},  // -5 counts 0; null counts 1
        {R"("parts":[0,0])", {-90, -90}},         // all zero: empty slices, no failure
        {R"("parts":5,"n":2)", {-90, 90}},        // "parts" that is not a list gives way to "n"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        std::string item = R"({"k":"pie","ruled":true)";
        if (*c.keys) item += std::string(",") + c.keys;
        auto ops = drawn("[" + item + "}]");
        const auto strokes = all<StrokeOp>(ops);
        ASSERT_EQ(strokes.size(), c.angles.empty() ? 1u : 2u);  // outline, then the dividers
        if (c.angles.empty()) continue;
        const std::vector<Point> ends = strokeEnds(strokes[1]->path);
        ASSERT_EQ(ends.size(), c.angles.size());
        for (size_t i = 0; i < ends.size(); ++i) {
            EXPECT_NEAR(std::hypot(ends[i].x - kCentre.x, ends[i].y - kCentre.y), kR, 1e-9);
            const double a = degrees(ends[i]);
            EXPECT_NEAR(std::fabs(c.angles[i]) == 180 ? std::fabs(a) : a, c.angles[i], 1e-9) << i;
        }
    }
}

TEST(FigPie, SliceCountsAreBounded) {
    struct Case {
        const char* item;
        size_t dividers;
    } cases[] = {
        {R"({"k":"pie","n":100})", 64},
        {R"({"k":"pie","parts":[1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,
             1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1]})", 64},
        {R"({"k":"pie","parts":[]})", 0},
    };
    for (const Case& c : cases) {
        auto ops = drawn(std::string("[") + c.item + "]");
        if (c.dividers == 0) {
            EXPECT_TRUE(ops.empty());  // an empty "parts" draws nothing at all
            continue;
        }
        ASSERT_EQ(ops.size(), 2u);
        EXPECT_EQ(subpaths(as<StrokeOp>(ops[1])->path), static_cast<int>(c.dividers));
    }
}

TEST(FigPie, ShadedSliceIsWashedUnderItsHatchAndOutline) {
    auto ops = drawn(R"([{"k":"pie","parts":[3,1],"fill":[0]}])");
    ASSERT_EQ(ops.size(), 4u);
    auto wash = as<FillOp>(ops[0]);
    ASSERT_TRUE(wash);
    EXPECT_EQ(wash->color, Fig::washColor("orange"));
    EXPECT_EQ(wash->blend, BlendMode::multiply);
    EXPECT_FALSE(wash->evenOdd);
    EXPECT_EQ(wash->pause, 0.24);  // the item's first operation

    // The centre, then the arc over 270 degrees in 56 segments (12 × 3π/2 = 56.5), closed.
    const auto& el = wash->path.elements();
    ASSERT_EQ(el.size(), 1u + 57u + 1u);
    EXPECT_EQ(el.front().pts[0], kCentre);
    EXPECT_EQ(el.back().verb, Path::Verb::close);
    const Point first = el[1].pts[0], last = el[57].pts[0];
    EXPECT_NEAR(first.x, kCentre.x, 1e-9);
    EXPECT_NEAR(first.y, kCentre.y - 0.97 * kR, 1e-9);  // 12 o'clock
    EXPECT_NEAR(last.x, kCentre.x - 0.97 * kR, 1e-9);   // 9 o'clock, clockwise
    EXPECT_NEAR(last.y, kCentre.y, 1e-9);

    auto hatch = as<StrokeOp>(ops[1]);
    EXPECT_EQ(hatch->pen.color, Ink::fill("orange"));
    EXPECT_EQ(hatch->pen.width, 1.8 * kPw);
    EXPECT_EQ(hatch->pen.blend, BlendMode::multiply);
    EXPECT_EQ(hatch->pace(), 3);

    auto outline = as<StrokeOp>(ops[2]), dividers = as<StrokeOp>(ops[3]);
    EXPECT_EQ(outline->pen, Pen::usual(Ink::ink, kLine));
    EXPECT_EQ(dividers->pen, Pen::usual(Ink::ink, 0.8 * kLine));
}

TEST(FigPie, SliceColours) {
    struct Case {
        const char* keys;
        std::vector<const char*> washes;  // colour names, slice by slice
    } cases[] = {
        {R"("n":3,"cs":["red","","blue"])", {"red", "blue"}},  // "cs" shades without "fill"
        {R"("n":3,"cs":["red","","blue"],"fill":[1],"fc":"green")", {"red", "green", "blue"}},
        {R"("n":3,"cs":["red"," \n","blue"],"fill":[1,0])", {"red", "orange", "blue"}},
        {R"("n":2,"fill":[0],"fc":7)", {"7"}},  // a number's text is a (grey) colour name
        {R"("n":2,"fill":[0],"fc":true)", {"orange"}},
        {R"("n":2,"fill":[5,-1,"x"])", {}},
        {R"("n":2,"fill":["1"],"c":"red")", {"orange"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        auto ops = drawn(std::string(R"([{"k":"pie",)") + c.keys + "}]");
        const auto washes = all<FillOp>(ops);
        ASSERT_EQ(washes.size(), c.washes.size());
        for (size_t i = 0; i < washes.size(); ++i) EXPECT_EQ(washes[i]->color, Fig::washColor(c.washes[i])) << i;
    }
}

TEST(FigPie, NegativeRadiusDrawsTheSamePie) {
    EXPECT_TRUE(sameInk(drawn(R"([{"k":"pie","r":-10,"n":3,"fill":[1],"text":"thirds"}])"),
                        drawn(R"([{"k":"pie","r":10,"n":3,"fill":[1],"text":"thirds"}])")));
}

TEST(FigPie, CaptionIsCentredJustUnderTheCircle) {
    auto fig = makeFig();
    const Fig::Setting st = fig->setting("a quarter", kCentre.x, "c", 0.95);
    fig->draw(nlohmann::json::parse(R"([{"k":"pie","fill":[0],"text":"a quarter"}])"));
    const auto phrases = all<PhraseOp>(fig->ops);
    ASSERT_FALSE(phrases.empty());
    Rect ink = Rect::null();
    for (auto p : phrases) {
        EXPECT_EQ(p->size, 0.95 * kText);
        ink = ink.united(p->bounds());
    }
    const double baseline = kCentre.y + kR + 6 * kK;
    EXPECT_GT(ink.minY(), kCentre.y + kR);
    EXPECT_LT(ink.maxY(), baseline + 0.5 * st.size);
    EXPECT_NEAR(ink.midX(), kCentre.x, 0.1 * st.size);
    // The caption comes last, after the outline and the dividers.
    EXPECT_TRUE(as<PhraseOp>(fig->ops.back()));
    EXPECT_TRUE(drawn(R"([{"k":"pie","text":" \n "}])").size() == 2u);  // blank: no caption
}
