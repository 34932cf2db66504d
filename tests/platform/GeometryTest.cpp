#include "platform/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;

TEST(Rect, NullRectangleRules) {
    Rect null = Rect::null();
    Rect r{10, 20, 30, 40};
    EXPECT_TRUE(null.isNull());
    EXPECT_TRUE(null.isEmpty());
    EXPECT_EQ(null.united(r), r);
    EXPECT_EQ(r.united(null), r);
    EXPECT_TRUE(null.united(null).isNull());
    EXPECT_TRUE(null.offsetBy(5, 5).isNull());
    EXPECT_TRUE(null.insetBy(-5, -5).isNull());
    EXPECT_TRUE(r.intersected(null).isNull());
    EXPECT_FALSE(null.contains({0, 0}));
}

TEST(Rect, IntersectionIsNullWhenDisjointAndZeroSizedWhenTouching) {
    Rect a{0, 0, 10, 10};
    EXPECT_TRUE(a.intersected({20, 20, 5, 5}).isNull());
    EXPECT_EQ(a.intersected({5, 5, 10, 10}), (Rect{5, 5, 5, 5}));
    Rect touching = a.intersected({10, 0, 5, 10});
    EXPECT_FALSE(touching.isNull());
    EXPECT_EQ(touching, (Rect{10, 0, 0, 10}));
    EXPECT_TRUE(touching.isEmpty());
}

TEST(Rect, ContainsTakesTheMinEdgeButNotTheMaxEdge) {
    Rect r{0, 0, 10, 10};
    EXPECT_TRUE(r.contains({0, 0}));
    EXPECT_TRUE(r.contains({9.999, 9.999}));
    EXPECT_FALSE(r.contains({10, 5}));
    EXPECT_FALSE(r.contains({5, 10}));
    // A negative size is standardised first.
    EXPECT_TRUE((Rect{10, 10, -10, -10}).contains({0, 0}));
}

TEST(Rect, UnionInsetAndStandardising) {
    EXPECT_EQ((Rect{0, 0, 10, 10}).united({20, -5, 5, 5}), (Rect{0, -5, 25, 15}));
    EXPECT_EQ((Rect{10, 10, -4, -6}).standardized(), (Rect{6, 4, 4, 6}));
    EXPECT_EQ((Rect{0, 0, 10, 10}).insetBy(2, 3), (Rect{2, 3, 6, 4}));
    EXPECT_EQ((Rect{0, 0, 10, 10}).insetBy(-2, -1), (Rect{-2, -1, 14, 12}));
    EXPECT_TRUE((Rect{0, 0, 10, 10}).insetBy(6, 0).isNull());
    EXPECT_EQ((Rect{0, 0, 10, 10}).insetBy(5, 5), (Rect{5, 5, 0, 0}));
}

TEST(Affine, ComposesInTheDrawingLayersOrder) {
    // translated() applies the translation to points first, then the receiver.
    Affine rotThenNothing = Affine::identity().rotated(M_PI / 2);
    Point p = rotThenNothing.apply({1, 0});
    EXPECT_NEAR(p.x, 0, 1e-12);
    EXPECT_NEAR(p.y, 1, 1e-12);

    Affine t = Affine::translation(10, 0).rotated(M_PI / 2);  // rotate, then move right
    Point q = t.apply({1, 0});
    EXPECT_NEAR(q.x, 10, 1e-12);
    EXPECT_NEAR(q.y, 1, 1e-12);

    Affine a = Affine::scaling(2, 3), b = Affine::translation(1, 1);
    Point r = a.concat(b).apply({1, 1});  // scale first
    EXPECT_EQ(r, (Point{3, 4}));

    EXPECT_FALSE((Affine{NAN, 0, 0, 1, 0, 0}).isInvertible());
    EXPECT_FALSE(Affine::scaling(0, 1).isInvertible());
    EXPECT_TRUE(Affine::identity().isInvertible());
}

// The inline hypotenuse gives the maths library's hypot bit for bit where that library is
// glibc 2.35 or later, whose kernel it copies; elsewhere it is within an ulp of the exact
// value. Special values and the scaled ranges fall through to std::hypot everywhere.
TEST(Geometry, HypotenuseIsTheLibrarysHypot) {
    const double special[] = {0, -0.0, 1, -3, 4, 1e-300, 5e-324, 0x1p511, 0x1p-459, 1e308, INFINITY, -INFINITY};
    for (double x : special)
        for (double y : special) EXPECT_EQ(hypotenuse(x, y), std::hypot(x, y)) << x << " " << y;
    EXPECT_TRUE(std::isnan(hypotenuse(NAN, 1)));
    EXPECT_EQ(hypotenuse(NAN, INFINITY), INFINITY);
    EXPECT_EQ(hypotenuse(3, 4), 5);
    uint64_t state = 7;
    auto unit = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) * 0x1p-53 * 2 - 1;
    };
    for (int i = 0; i < 200000; ++i) {
        const double x = unit() * 1000, y = i % 3 == 0 ? x * (1 + unit() * 1e-3) : unit() * 1000;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 35)
        ASSERT_EQ(hypotenuse(x, y), std::hypot(x, y)) << x << " " << y;
#else
        ASSERT_NEAR(hypotenuse(x, y), std::hypot(x, y), 2e-16 * std::hypot(x, y));
#endif
    }
}
