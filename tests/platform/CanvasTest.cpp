#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

using namespace nolby;

namespace {
void fillSquare(Canvas& c, double x, double y, double s, Color color) {
    Path p;
    p.addRect({x, y, s, s});
    draw::appendPath(c.cr(), p);
    draw::setColor(c.cr(), color);
    cairo_fill(c.cr());
}
}  // namespace

TEST(Canvas, BadMatricesAndDashesNeverBreakTheContext) {
    Canvas c(20, 20);
    cairo_t* cr = c.cr();
    {
        draw::Saved s(cr);
        EXPECT_FALSE(draw::transform(cr, Affine{NAN, 0, 0, 1, 0, 0}));
        EXPECT_FALSE(draw::scale(cr, 0, 1));
        EXPECT_FALSE(draw::translate(cr, INFINITY, 0));
        draw::setDash(cr, {-1, 2});
        draw::setDash(cr, {0, 0});
        draw::setDash(cr, {NAN});
        draw::setDash(cr, {4, 2}, NAN);
        draw::setLineWidth(cr, NAN);
        draw::clipRect(cr, {NAN, 0, 5, 5});
        Path bad;
        bad.moveTo(NAN, 0);
        bad.lineTo(INFINITY, 3);
        draw::appendPath(cr, bad);
        cairo_stroke(cr);
    }
    EXPECT_EQ(cairo_status(cr), CAIRO_STATUS_SUCCESS);
    fillSquare(c, 5, 5, 10, {1, 0, 0, 1});
    EXPECT_EQ(c.pixel(10, 10), (Color{1, 0, 0, 1}));
    EXPECT_EQ(c.pixel(1, 1).a, 0);
}

TEST(Canvas, DrawsInPointsAtItsScaleAndWritesPng) {
    Canvas c(10, 10, 2);
    EXPECT_EQ(c.pixelWidth(), 20);
    fillSquare(c, 0, 0, 5, {0, 0, 1, 0.5});
    Color px = c.pixel(9, 9);
    EXPECT_NEAR(px.b, 1, 0.01);
    EXPECT_NEAR(px.a, 0.5, 0.01);
    EXPECT_EQ(c.pixel(11, 11).a, 0);

    auto file = std::filesystem::temp_directory_path() / "nolby-canvas-test.png";
    ASSERT_TRUE(c.writePng(file.string()));
    EXPECT_GT(std::filesystem::file_size(file), 0u);
    std::filesystem::remove(file);
    EXPECT_FALSE(c.writePng("/nonexistent-folder/x.png"));
}

TEST(Canvas, QuadraticCurvesDrawAsTheirCubicEquivalent) {
    Path p;
    p.moveTo(0, 10);
    p.quadTo({10, -10}, {20, 10});
    p.close();
    Canvas c(20, 12);
    draw::appendPath(c.cr(), p);
    double x0, y0, x1, y1;
    cairo_path_extents(c.cr(), &x0, &y0, &x1, &y1);
    EXPECT_NEAR(y0, 0, 1e-9);  // the curve's apex, half way to the control point
    EXPECT_NEAR(x1, 20, 1e-9);
}
