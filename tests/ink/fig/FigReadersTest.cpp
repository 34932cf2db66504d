#include "FigTestSupport.h"

#include "ink/Ink.h"

#include <cmath>
#include <limits>

using namespace nolby;
using json = nlohmann::json;

TEST(FigReaders, Num) {
    struct Case {
        double v;
        const char* text;
    } cases[] = {
        {2.0, "2"},
        {-3.0000000001, "-3"},
        {2.5, "2.5"},
        {1.0 / 3, "0.3333"},
        {0.12345, "0.1235"},
        {0.1 + 0.2, "0.3"},
        {1e12, "1000000000000"},
        {-2.5, "-2.5"},
        {100.05, "100.05"},
        {0, "0"},
        {-0.0, "0"},
        {-1e-10, "0"},
        {-0.00001, "0"},  // rounds to "-0.0000": never "-0"
        {-0.00004999, "0"},
        {std::numeric_limits<double>::quiet_NaN(), "0"},
        {std::numeric_limits<double>::infinity(), "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(Fig::num(c.v), c.text) << c.v;
}

TEST(FigReaders, IntsAndInt) {
    const json list = json::parse(R"(["3", 2.6, true, "word", null, " 4 ", -2.5, 5e9, {"a":1}, [1], "1e400"])");
    EXPECT_EQ(Fig::ints(&list), (std::vector<int>{3, 3, 1, 4, -3, 1000000}));
    const json notList = json::parse(R"("3")");
    EXPECT_TRUE(Fig::ints(&notList).empty());
    EXPECT_TRUE(Fig::ints(nullptr).empty());

    struct Case {
        const char* value;
        int expected;
    } cases[] = {{"7", 7}, {"\"7\"", 7}, {"2.5", 3}, {"false", 0}, {"null", -1}, {"\"x\"", -1}, {"[1]", -1}, {"-1e9", -1000000}};
    for (const Case& c : cases) {
        const json v = json::parse(c.value);
        EXPECT_EQ(Fig::int_(&v, -1), c.expected) << c.value;
    }
    EXPECT_EQ(Fig::int_(nullptr, 9), 9);

    json many = json::array();
    for (int i = 0; i < 3000; ++i) many.push_back(i);
    EXPECT_EQ(Fig::ints(&many).size(), Fig::kMaxValues);
}

TEST(FigReaders, Strings) {
    const json list = json::parse(R"(["word", 2.50, null, {"a":1}, "3.0", true, 7, [2]])");
    EXPECT_EQ(Fig::strings(&list), (std::vector<std::string>{"word", "2.5", "", "", "3.0", "1", "7", ""}));
    EXPECT_TRUE(Fig::strings(nullptr).empty());
    const json notList = json::parse(R"({"a":1})");
    EXPECT_TRUE(Fig::strings(&notList).empty());
}

TEST(FigReaders, Colours) {
    EXPECT_EQ(Fig::markerColor("Gray"), Color::hex(0xdcd8d0));
    EXPECT_EQ(Fig::markerColor("BLACK"), Color::hex(0xdcd8d0));
    EXPECT_EQ(Fig::markerColor("Purple"), Ink::marker("violet"));
    EXPECT_EQ(Fig::markerColor("cyan"), Ink::marker("teal"));
    EXPECT_EQ(Fig::markerColor("brown"), Ink::marker("orange"));
    EXPECT_EQ(Fig::markerColor("#00ff00"), Color::hex(0x00ff00, 0.3));
    EXPECT_EQ(Fig::markerColor("Blue"), Ink::marker("blue"));
    EXPECT_EQ(Fig::markerColor("plaid"), Ink::marker("yellow"));

    EXPECT_EQ(Fig::washColor("#e03131"), Color::hex(0xe03131, 0.2));
    EXPECT_EQ(Fig::washColor("#nothex"), Ink::ink.withAlpha(0.2));
    EXPECT_EQ(Fig::washColor("Blue"), Ink::wash("blue"));
    EXPECT_EQ(Fig::washColor("cyan"), Ink::wash("cyan"));
    EXPECT_EQ(Fig::washColor("plaid"), Ink::wash("grey"));
    EXPECT_EQ(Fig::washColor("none"), Ink::wash("grey"));

    EXPECT_EQ(Fig::colorName(Ink::color("teal", Ink::ink)), "teal");
    EXPECT_EQ(Fig::colorName(Ink::color("purple", Ink::ink)), "violet");  // same stroke colour
    EXPECT_EQ(Fig::colorName(Ink::ink), "yellow");
    EXPECT_EQ(Fig::colorName(Color::hex(0x123456)), "yellow");
}

TEST(FigGeometry, Corners) {
    using Runs = std::vector<std::vector<Point>>;
    // A square's corners split it; a gentle bend does not; repeated points are dropped.
    EXPECT_EQ(Fig::corners({{0, 0}, {10, 0}, {10, 10}, {0, 10}}),
              (Runs{{{0, 0}, {10, 0}}, {{10, 0}, {10, 10}}, {{10, 10}, {0, 10}}}));
    EXPECT_EQ(Fig::corners({{0, 0}, {10, 0}, {20, 3}, {30, 8}}), (Runs{{{0, 0}, {10, 0}, {20, 3}, {30, 8}}}));
    EXPECT_EQ(Fig::corners({{0, 0}, {0.005, 0}, {10, 0}, {10, 0}}), (Runs{{{0, 0}, {10, 0}}}));
    EXPECT_EQ(Fig::corners({}), (Runs{{}}));
}

TEST(FigGeometry, RoundedPolyAndBounds) {
    const Rect r{10, 20, 40, 30};
    EXPECT_EQ(Fig::roundedPoly(r, 0.5), (std::vector<Point>{{10, 20}, {50, 20}, {50, 50}, {10, 50}}));
    auto round = Fig::roundedPoly(r, 4);
    ASSERT_EQ(round.size(), 20u);
    EXPECT_NEAR(round[0].x, 46, 1e-12);  // top edge, end of the straight part
    EXPECT_NEAR(round[0].y, 20, 1e-12);
    EXPECT_NEAR(round[4].x, 50, 1e-12);
    EXPECT_NEAR(round[4].y, 24, 1e-12);
    EXPECT_EQ(Fig::bounds(round), Fig::bounds({{10, 20}, {50, 50}}));
    EXPECT_EQ(Fig::bounds({{3, 4}, {-1, 9}}), (Rect{-1, 4, 4, 5}));
}

TEST(FigGeometry, Clamp) {
    EXPECT_EQ(Fig::cl(5000), 1000);
    EXPECT_EQ(Fig::cl(-1000), -1000);
    EXPECT_EQ(Fig::cl(-1e9), -1000);
    EXPECT_EQ(Fig::cl(12.5), 12.5);
    EXPECT_EQ(Fig::cl(std::nan("")), 0);
    EXPECT_EQ(Fig::cl(-std::numeric_limits<double>::infinity()), 0);
}
