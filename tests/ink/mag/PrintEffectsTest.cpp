#include "ink/Mag.h"
#include "ink/mag/Grain.h"
#include "ink/mag/Registering.h"
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;

TEST(Grain, OverlaysTheTileAtTwoPixelsAPoint) {
    Canvas c(100, 100, 2);
    c.fill(Color{0.5, 0.5, 0.5, 1});
    Grain{1}.draw(c.cr(), {0, 0, 96, 96});
    // Overlay of a tile over mid grey reproduces the tile's own tones closely.
    cairo_surface_t* tile = Mag::grain()->surface();
    const uint8_t* t = cairo_image_surface_get_data(tile);
    const int stride = cairo_image_surface_get_stride(tile);
    int different = 0;
    for (int y = 0; y < 192; y += 7)
        for (int x = 0; x < 192; x += 5) {
            const uint32_t v = reinterpret_cast<const uint32_t*>(t + y * stride)[x];
            const double tone = ((v >> 8) & 0xFF) / 255.0;
            different += std::fabs(c.pixel(x, y).g - tone) > 3 / 255.0;
        }
    EXPECT_EQ(different, 0);
    // Nothing outside the frame, and nothing at all for no amount or a bad frame.
    EXPECT_NEAR(c.pixel(195, 195).g, 0.5, 1 / 255.0);
    Canvas plain(20, 20);
    plain.fill(Color{0.5, 0.5, 0.5, 1});
    Grain{0}.draw(plain.cr(), {0, 0, 20, 20});
    Grain{0.5}.draw(plain.cr(), {std::nan(""), 0, 20, 20});
    Grain{0.5}.draw(plain.cr(), Rect::null());
    for (int i = 0; i < 20; ++i) EXPECT_NEAR(plain.pixel(i, i).g, 0.5, 1 / 255.0);
}

TEST(Registering, SlidesTintedCopiesOutOfRegister) {
    auto content = [](cairo_t* cr) {
        cairo_rectangle(cr, 30, 30, 40, 40);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
    };
    const Rect area{30, 30, 40, 40};
    auto render = [&](double t) {
        auto c = std::make_unique<Canvas>(100, 100);
        Registering{t}.draw(c->cr(), area, content);
        EXPECT_EQ(cairo_status(c->cr()), CAIRO_STATUS_SUCCESS);
        return c;
    };
    EXPECT_EQ(Registering{0}.offset(), 16);
    EXPECT_EQ(Registering{0.5}.offset(), 8);
    EXPECT_EQ(Registering{1}.offset(), 0);

    // t = 0.5: the picture is fully opaque (2.4 × 0.5 ≥ 1), the copies 8 points out at half
    // strength: magenta 8 left and 4 up, cyan 8 right and 3.2 down.
    auto half = render(0.5);
    EXPECT_EQ(half->pixel(66, 31).hexString(), "#ffffffff");  // the picture alone
    EXPECT_NE(half->pixel(50, 50).hexString(), "#ffffffff");  // both copies over it
    const Color left = half->pixel(25, 40);  // only the magenta copy reaches here
    EXPECT_NEAR(left.a, 0.5, 1 / 255.0);
    EXPECT_NEAR(left.r, Mag::magenta.r, 2 / 255.0);
    EXPECT_NEAR(left.g, Mag::magenta.g, 2 / 255.0);
    const Color right = half->pixel(74, 60);  // only the cyan copy
    EXPECT_NEAR(right.a, 0.5, 1 / 255.0);
    EXPECT_NEAR(right.b, Mag::cyan.b, 2 / 255.0);

    // t = 1: the picture alone; t = 0 or not a number: nothing.
    auto whole = render(1);
    EXPECT_EQ(whole->pixel(25, 40).a, 0);
    EXPECT_EQ(whole->pixel(50, 50).a, 1);
    for (double t : {0.0, -1.0, std::nan("")}) EXPECT_EQ(render(t)->pixel(50, 50).a, 0) << t;
    // t = 0.2: the whole at 48 % opacity.
    EXPECT_NEAR(render(0.2)->pixel(50, 50).a, 0.48, 1 / 255.0);
}
