#include "platform/Blur.h"
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using namespace nolby;

namespace {

uint8_t alphaAt(cairo_surface_t* s, int x, int y) {
    cairo_surface_flush(s);
    const uint8_t* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    return row[x];
}

}  // namespace

TEST(Blur, BoxWidthsMatchTheGaussiansVariance) {
    // Three boxes of width w have variance 3 (w² − 1) / 12; together they stand for σ².
    for (double sigma : {1.0, 3.0, 6.0, 12.5}) {
        BoxWidths b = boxesForGaussian(sigma);
        double variance = 0;
        for (int w : b.w) {
            EXPECT_EQ(w % 2, 1) << sigma;
            variance += (w * w - 1) / 12.0;
        }
        EXPECT_NEAR(std::sqrt(variance), sigma, 0.35 * sigma) << sigma;
    }
    BoxWidths three = boxesForGaussian(3);
    EXPECT_EQ(three.w[0], 5);
    EXPECT_EQ(three.w[2], 7);
}

TEST(Blur, SpreadsAPointEvenlyAndKeepsItsMass) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 41, 41);
    cairo_t* cr = cairo_create(s);
    cairo_rectangle(cr, 15, 15, 11, 11);  // a square centred on pixel 20
    cairo_fill(cr);
    cairo_destroy(cr);
    blurSurface(s, 3);
    long sum = 0;
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x) sum += alphaAt(s, x, y);
    EXPECT_NEAR(sum, 121 * 255, 121 * 255 * 0.02);  // rounding may move a little mass
    // Symmetric about the centre, falling off outward, nothing beyond 3σ of the square.
    EXPECT_EQ(alphaAt(s, 20 - 7, 20), alphaAt(s, 20 + 7, 20));
    EXPECT_EQ(alphaAt(s, 20, 20 - 7), alphaAt(s, 20, 20 + 7));
    EXPECT_GT(alphaAt(s, 20, 20), alphaAt(s, 26, 20));
    EXPECT_GT(alphaAt(s, 26, 20), alphaAt(s, 29, 20));
    EXPECT_EQ(alphaAt(s, 0, 0), 0);
    cairo_surface_destroy(s);
}

TEST(Blur, ShadowFollowsTheDeviceScaleAndSkipsBadInput) {
    // The same shadow at 1× and 2× covers the same points.
    auto edge = [](double scale) {
        Canvas c(60, 20, scale);
        drawShadow(c.cr(), {20, 5, 20, 10}, Color{0, 0, 0, 1}, 3, 0, 0, [](cairo_t* cr) {
            cairo_rectangle(cr, 20, 5, 20, 10);
            cairo_fill(cr);
        });
        EXPECT_EQ(cairo_status(c.cr()), CAIRO_STATUS_SUCCESS);
        return c.pixel(static_cast<int>(std::lround(17 * scale)), static_cast<int>(std::lround(10 * scale))).a;
    };
    const double one = edge(1), two = edge(2);
    EXPECT_GT(one, 0.1);
    EXPECT_LT(one, 0.8);
    EXPECT_NEAR(one, two, 0.06);

    Canvas c(20, 20);
    auto square = [](cairo_t* cr) {
        cairo_rectangle(cr, 5, 5, 10, 10);
        cairo_fill(cr);
    };
    const double nan = std::nan("");
    drawShadow(c.cr(), {nan, 0, 10, 10}, Color{0, 0, 0, 1}, 3, 0, 0, square);
    drawShadow(c.cr(), {0, 0, 10, 10}, Color{0, 0, 0, 1}, nan, 0, 0, square);
    drawShadow(c.cr(), {0, 0, 10, 10}, Color{0, 0, 0, 0}, 3, 0, 0, square);
    drawShadow(c.cr(), Rect::null(), Color{0, 0, 0, 1}, 3, 0, 0, square);
    EXPECT_EQ(c.pixel(10, 10).a, 0);
    EXPECT_EQ(cairo_status(c.cr()), CAIRO_STATUS_SUCCESS);
}
