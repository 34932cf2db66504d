#include "ink/PathHelpers.h"

#include <gtest/gtest.h>

using namespace nolby;

TEST(Flatten, SubPathsAndTheirPoints) {
    Path single;
    single.moveTo(5, 5);
    EXPECT_TRUE(flatten(single, 1.2).empty());

    Path line;
    line.moveTo(1, 2);
    line.lineTo(3, 4);
    auto l = flatten(line, 1.2);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0], (Polyline{{1, 2}, {3, 4}}));

    Path noMove;  // starts at the origin
    noMove.lineTo(10, 0);
    auto n = flatten(noMove, 1.2);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0].front(), (Point{0, 0}));

    Path rect;
    rect.addRect({0, 0, 10, 20});
    auto r = flatten(rect, 1.2);
    ASSERT_EQ(r.size(), 1u);
    ASSERT_EQ(r[0].size(), 5u);
    EXPECT_EQ(r[0].front(), r[0].back());

    Path two;  // a lone move between sub-paths vanishes
    two.moveTo(0, 0);
    two.lineTo(1, 0);
    two.moveTo(50, 50);
    two.moveTo(2, 0);
    two.lineTo(3, 0);
    EXPECT_EQ(flatten(two, 1.2).size(), 2u);
}

TEST(Flatten, CurveSampleCounts) {
    struct Case {
        Point c, e;
        size_t points;  // including the start
    };
    // n = ceil(control length / 3) at tolerance 1.2, clamped to 2...64.
    const Case cases[] = {
        {{0.1, 0}, {0.2, 0}, 3},      // tiny: still 2 samples
        {{15, 0}, {30, 0}, 11},       // 30 / 3 = 10
        {{16, 0}, {31, 0}, 12},       // 31 / 3 → 11
        {{500, 0}, {1000, 0}, 65},    // long: capped at 64
    };
    for (const Case& c : cases) {
        Path q;
        q.moveTo(0, 0);
        q.quadTo(c.c, c.e);
        auto f = flatten(q, 1.2);
        ASSERT_EQ(f.size(), 1u);
        EXPECT_EQ(f[0].size(), c.points) << c.e.x;
        EXPECT_EQ(f[0].back(), c.e);
    }
    Path cubic;
    cubic.moveTo(0, 0);
    cubic.curveTo({10, 0}, {20, 0}, {30, 0});
    EXPECT_EQ(flatten(cubic, 1.2)[0].size(), 11u);
    Path degenerate;
    degenerate.moveTo(0, 0);
    degenerate.curveTo({0, 0}, {0, 0}, {0, 0});
    EXPECT_EQ(flatten(degenerate, 1.2)[0].size(), 3u);
}

TEST(PolyLength, SumsSegments) {
    EXPECT_EQ(polyLength({{0, 0}, {3, 4}, {3, 10}}), 11);
    EXPECT_EQ(polyLength({{1, 1}}), 0);
    EXPECT_EQ(polyLength({}), 0);
}
