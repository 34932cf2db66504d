#include "FigTestSupport.h"

#include "ink/Ink.h"

using namespace nolby;
using namespace nolby::testing;

namespace {

std::vector<InkOpRef> doodle(const std::string& name, std::optional<std::string> fill, Color color = Ink::ink,
                             uint64_t seed = 5) {
    auto fig = makeFig(seed);
    fig->doodle(name, 100, 100, 40, color, fill);
    return fig->ops;
}

}  // namespace

TEST(Doodles, TableHoldsThirteenShapes) {
    EXPECT_EQ(Fig::doodles().size(), 13u);
    for (const auto& [name, data] : Fig::doodles()) {
        SCOPED_TRACE(name);
        auto ops = doodle(name, std::nullopt);
        ASSERT_FALSE(ops.empty());
        // Drawn in the square of side 40 around (100, 100), the pen's width aside.
        const Rect b = ops.back()->bounds();
        EXPECT_GT(b.minX(), 80 - 5);
        EXPECT_LT(b.maxX(), 120 + 5);
        EXPECT_GT(b.minY(), 80 - 5);
        EXPECT_LT(b.maxY(), 120 + 5);
        for (const auto& op : ops) EXPECT_EQ(op->pause, 0);
    }
}

TEST(Doodles, Fills) {
    const Color red = Ink::color("red", Ink::ink);
    struct Case {
        const char* name;
        std::optional<std::string> fill;
        Color color;
        size_t ops;  // wash + hatching + outline, or the outline alone
    } cases[] = {
        {"heart", std::nullopt, red, 3},        // filled by default, in its outline's colour
        {"Heart", std::nullopt, Ink::ink, 3},  // ink has no notebook name: yellow wash
        {"star", std::string("green"), red, 3},
        {"spark", std::string("none"), red, 3},  // "none" is just a name here
        {"cloud", std::nullopt, red, 1},
        {"cloud", std::string("blue"), red, 3},
        {"rocket", std::nullopt, red, 1},  // the spark's shape, not its default fill
        {"check", std::string("blue"), red, 1},
        {"swirl", std::string("blue"), red, 1},
        {"question", std::string("blue"), red, 1},
        {"arrow", std::string("blue"), red, 1},
        {"sun", std::nullopt, red, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto ops = doodle(c.name, c.fill, c.color);
        ASSERT_EQ(ops.size(), c.ops);
        auto outline = as<StrokeOp>(ops.back());
        ASSERT_TRUE(outline);
        EXPECT_EQ(outline->pen.color, c.color);
        EXPECT_DOUBLE_EQ(outline->pen.width, 2.3 * kPw);
        if (c.ops == 1) continue;
        auto wash = as<FillOp>(ops[0]);
        ASSERT_TRUE(wash);
        EXPECT_TRUE(wash->evenOdd);
        EXPECT_EQ(wash->blend, BlendMode::multiply);
        const std::string name = c.fill ? *c.fill : Fig::colorName(c.color);
        EXPECT_EQ(wash->color, Fig::washColor(name));
        auto hatch = as<StrokeOp>(ops[1]);
        EXPECT_EQ(hatch->pen.color, Ink::fill(name));
        EXPECT_EQ(hatch->pace(), 3);
        EXPECT_DOUBLE_EQ(hatch->pen.width, 1.6 * kPw);
    }
    // The default fill of ink is the yellow wash, the name "yellow" standing for no name.
    EXPECT_EQ(as<FillOp>(doodle("heart", std::nullopt)[0])->color, Ink::wash("yellow"));
}

TEST(Doodles, UnknownNamesDrawTheSpark) {
    EXPECT_TRUE(sameInk(doodle("rocket", std::string("blue")), doodle("spark", std::string("blue"))));
    EXPECT_TRUE(sameInk(doodle("SPARK", std::nullopt), doodle("spark", std::nullopt)));
    EXPECT_TRUE(sameInk(doodle("star", std::nullopt, Ink::ink, 8), doodle("star", std::nullopt, Ink::ink, 8)));
    EXPECT_FALSE(sameInk(doodle("star", std::nullopt, Ink::ink, 8), doodle("star", std::nullopt, Ink::ink, 9)));
}

TEST(Doodles, AsAFigureItem) {
    auto ops = drawn(R"([{"k":"doodle","name":"heart","x":50,"y":20,"s":10,"c":"pink"}])");
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0]->pause, 0.24);  // the item's hesitation: a doodle's wash has none of its own
    EXPECT_EQ(as<FillOp>(ops[0])->color, Ink::wash("pink"));
    const Rect b = ops[2]->bounds();
    EXPECT_NEAR(b.midX(), kOx + 50 * kK, 3);
    EXPECT_NEAR(b.width(), 10 * kK, 0.2 * 10 * kK);

    // An empty "fill" is no fill; the default name is the spark.
    EXPECT_EQ(drawn(R"([{"k":"doodle","name":"sun","fill":""}])").size(), 1u);
    EXPECT_EQ(drawn(R"([{"k":"doodle"}])").size(), 3u);
}
