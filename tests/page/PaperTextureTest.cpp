#include "ink/Rng.h"
#include "page/PaperTexture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using namespace nolby;

namespace {

bool samePixels(const Image& a, const Image& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    const int stride = cairo_image_surface_get_stride(a.surface());
    return std::memcmp(cairo_image_surface_get_data(a.surface()), cairo_image_surface_get_data(b.surface()),
                       static_cast<size_t>(stride) * a.height()) == 0;
}

}  // namespace

TEST(PaperTexture, SizesAreTakenUpToMultiplesOf64) {
    struct Case {
        int w, h;
        std::optional<std::pair<int, int>> size;
    };
    const Case cases[] = {
        {1, 1, std::pair{64, 64}},       {300, 320, std::pair{320, 320}}, {600, 869, std::pair{640, 896}},
        {640, 896, std::pair{640, 896}}, {65, 64, std::pair{128, 64}},    {8192, 1, std::pair{8192, 64}},
        {0, 500, std::nullopt},          {500, 0, std::nullopt},          {-1, 10, std::nullopt},
        {8193, 10, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PaperTexture::quantised(c.w, c.h), c.size) << c.w << "x" << c.h;
    EXPECT_EQ(PaperTexture::key(640, 896), "640x896");
}

TEST(PaperTexture, NoTextureBelowOnePoint) {
    PaperTexture cache;
    EXPECT_EQ(cache.image(0, 500), nullptr);
    EXPECT_EQ(cache.image(500, -2), nullptr);
    EXPECT_TRUE(cache.keys().empty());
}

TEST(PaperTexture, OnePointGivesTheSmallestTexture) {
    PaperTexture cache;
    auto one = cache.image(1, 1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->width(), 128);
    EXPECT_EQ(one->height(), 128);
    EXPECT_EQ(cache.keys(), std::vector<std::string>{"64x64"});
    // 64 × 64 / 18 speckles, each drawing x, y, alpha and diameter in turn from seed 7.
    auto speckles = PaperTexture::speckles(64, 64);
    ASSERT_EQ(speckles.size(), 227u);
    Rng rng(7);
    const double x = rng.unit() * 64, y = rng.unit() * 64, alpha = 0.025 + 0.035 * rng.unit(),
                 d = 0.3 + 0.5 * rng.unit();
    EXPECT_EQ(speckles[0], (PaperTexture::Speckle{x, y, alpha, d}));
    EXPECT_EQ(PaperTexture::speckles(640, 448).size(), 15928u);
}

TEST(PaperTexture, NearbySizesShareOneTexture) {
    PaperTexture cache;
    auto a = cache.image(600, 869);
    auto b = cache.image(640, 896);
    ASSERT_TRUE(a);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->width(), 1280);
    EXPECT_EQ(a->height(), 1792);
    EXPECT_EQ(cache.keys(), std::vector<std::string>{"640x896"});
}

TEST(PaperTexture, KeepsTheSixSizesUsedLast) {
    PaperTexture cache;
    for (int k = 1; k <= 6; ++k) cache.image(64 * k, 64);
    cache.image(64, 64);  // used again: now the most recent
    cache.image(64 * 7, 64);
    EXPECT_EQ(cache.keys(), (std::vector<std::string>{"448x64", "64x64", "384x64", "320x64", "256x64", "192x64"}));
    EXPECT_EQ(cache.keys().size(), PaperTexture::kKept);
}

TEST(PaperTexture, ASizeDrawnAgainGivesTheSamePixels) {
    PaperTexture cache;
    auto first = cache.image(100, 70);
    for (int k = 2; k <= 7; ++k) cache.image(64 * k, 192);  // pushes it out
    auto again = cache.image(100, 70);
    ASSERT_TRUE(first && again);
    EXPECT_NE(first, again);
    EXPECT_TRUE(samePixels(*first, *again));
}

TEST(PaperTexture, WarmGroundDarkeningTowardTheCorners) {
    PaperTexture cache;
    auto texture = cache.image(128, 128);
    ASSERT_TRUE(texture);
    cairo_surface_t* s = texture->surface();
    auto at = [&](int x, int y) {
        const uint8_t* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        return reinterpret_cast<const uint32_t*>(row)[x];
    };
    // Opaque everywhere; the corner carries the vignette's 6 % of (90, 74, 48) over the paper.
    const uint32_t corner = at(0, 0), centre = at(128, 128);
    EXPECT_EQ(corner >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((corner >> 16) & 0xFF), std::lround(251 * 0.94 + 90 * 0.06), 2);
    EXPECT_NEAR(static_cast<int>(corner & 0xFF), std::lround(241 * 0.94 + 48 * 0.06), 2);
    EXPECT_GT((centre >> 16) & 0xFF, (corner >> 16) & 0xFF);
}
