#include "platform/Path.h"

#include <gtest/gtest.h>

using namespace nolby;

namespace {
void expectRectNear(const Rect& a, const Rect& b, double eps = 1e-9) {
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.w, b.w, eps);
    EXPECT_NEAR(a.h, b.h, eps);
}
}  // namespace

TEST(Path, BoundsFollowCurvesNotTheirControlPoints) {
    Path quad;
    quad.moveTo(0, 0);
    quad.quadTo({50, 100}, {100, 0});
    expectRectNear(quad.boundingBox(), {0, 0, 100, 50});  // the apex is at half the control height
    expectRectNear(quad.controlBox(), {0, 0, 100, 100});

    Path cubic;
    cubic.moveTo(0, 0);
    cubic.curveTo({0, 100}, {100, 100}, {100, 0});
    expectRectNear(cubic.boundingBox(), {0, 0, 100, 75});

    Path circle;
    circle.addEllipse({10, 20, 40, 40});
    expectRectNear(circle.boundingBox(), {10, 20, 40, 40});
}

TEST(Path, EmptyAndDegeneratePaths) {
    EXPECT_TRUE(Path().boundingBox().isNull());
    Path one;
    one.moveTo(3, 4);
    EXPECT_EQ(one.boundingBox(), (Rect{3, 4, 0, 0}));
    Path line;
    line.moveTo(0, 10);
    line.lineTo(100, 10);
    EXPECT_EQ(line.boundingBox(), (Rect{0, 10, 100, 0}));
}

TEST(Path, ShapesAndTransforms) {
    Path rect;
    rect.addRect({1, 2, 3, 4});
    ASSERT_EQ(rect.elements().size(), 5u);
    EXPECT_EQ(rect.elements().back().verb, Path::Verb::close);
    EXPECT_EQ(rect.currentPoint(), (Point{1, 2}));

    Path rounded;
    rounded.addRoundedRect({0, 0, 100, 20}, 18, 18);  // radii clamp to half the height
    expectRectNear(rounded.boundingBox(), {0, 0, 100, 20});

    Path moved = rect.transformed(Affine::translation(10, 0).scaled(2, 2));
    expectRectNear(moved.boundingBox(), {12, 4, 6, 8});
    EXPECT_EQ(rect.transformed(Affine::identity()), rect);
}

// Lines added in one go are the same path as lines added one by one, growing past what was
// reserved and leaving the current point at the last of them.
TEST(Path, LinesAtOnceMatchLinesOneByOne) {
    Path one, many;
    one.moveTo(1, 2);
    many.moveTo(1, 2);
    many.reserve(2);
    auto at = [](size_t i) { return Point{0.5 * static_cast<double>(i), 3.0 - static_cast<double>(i)}; };
    for (size_t i = 0; i < 40; ++i) one.lineTo(at(i));
    many.linesTo(40, at);
    many.linesTo(0, at);
    EXPECT_EQ(one, many);
    EXPECT_EQ(many.currentPoint().x, 19.5);
    EXPECT_EQ(many.currentPoint().y, -36);
    one.close();
    many.close();
    EXPECT_EQ(one.currentPoint().x, many.currentPoint().x);
}
