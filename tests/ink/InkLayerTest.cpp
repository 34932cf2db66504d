// An operation drawn by a layer lands where it would on the page.
#include "ink/InkLayer.h"
#include "ink/ops/FillOp.h"
#include "platform/layers/LayerRender.h"

#include <gtest/gtest.h>

using namespace nolby;

namespace {
uint32_t pixel(const Image& image, int x, int y) {
    cairo_surface_flush(image.surface());
    const unsigned char* row =
        cairo_image_surface_get_data(image.surface()) + y * cairo_image_surface_get_stride(image.surface());
    return reinterpret_cast<const uint32_t*>(row)[x];
}
}  // namespace

TEST(InkLayer, DrawsItsOperationInPagePoints) {
    Path box;
    box.addRect({30, 20, 10, 10});
    auto page = std::make_shared<Layer>();
    auto ink = InkLayer::make(std::make_shared<FillOp>(box, Color{1, 0, 0, 1}));
    EXPECT_EQ(ink->frame(), (Rect{30, 20, 10, 10}));
    page->addSublayer(ink);
    page->addSublayer(InkLayer::make(std::make_shared<FillOp>(Path{}, Color{0, 0, 1, 1})));  // draws nothing

    ImageRef whole = layers::snapshot(*page, 60, 40, 2, 0);
    ASSERT_TRUE(whole);
    EXPECT_EQ(pixel(*whole, 70, 50), 0xFFFF0000u);
    EXPECT_EQ(pixel(*whole, 50, 50), 0u);

    ink->opacity = 0.5;  // drawn as a group sized from the operation's bounds
    ImageRef faded = layers::snapshot(*page, 60, 40, 2, 0);
    ASSERT_TRUE(faded);
    EXPECT_NEAR(int(pixel(*faded, 70, 50) >> 24), 128, 1);
    EXPECT_EQ(pixel(*faded, 61, 41) >> 24, pixel(*faded, 78, 58) >> 24);  // corners inside too
}
