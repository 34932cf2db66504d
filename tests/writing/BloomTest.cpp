#include "writing/Bloom.h"

#include "ink/Rng.h"
#include "writing/BloomField.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <functional>

using namespace nolby;

namespace {

// A w x h painting whose pixel (x, y) is the premultiplied ARGB word `at(x, y)`.
std::shared_ptr<const Image> painting(int w, int h, const std::function<uint32_t(int, int)>& at) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(s);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s));
        for (int x = 0; x < w; ++x) row[x] = at(x, y);
    }
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

uint32_t word(const Image& img, int x, int y) {
    cairo_surface_flush(img.surface());
    const unsigned char* row = cairo_image_surface_get_data(img.surface()) + y * cairo_image_surface_get_stride(img.surface());
    return reinterpret_cast<const uint32_t*>(row)[x];
}

// Every pixel of a grid image equals `v` in all four bytes.
bool uniform(const Image& img, uint32_t v) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (word(img, x, y) != v * 0x01010101u) return false;
    return true;
}

bloom::Field fieldOf(const Image& img, uint64_t seed) {
    cairo_surface_flush(img.surface());
    return bloom::field(reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(img.surface())), img.width(),
                        img.height(), size_t(cairo_image_surface_get_stride(img.surface())) / 4, seed);
}

uint32_t opaque(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | r << 16 | g << 8 | b; }
const uint32_t white = opaque(255, 255, 255);

// A soft wash of colour: blue on the left, orange on the right, white paper in between.
uint32_t wash(int x, int y) {
    if (x < 30) return opaque(60, 110, 200);
    if (x > 70) return opaque(230, 150, 60);
    return white;
}

}  // namespace

TEST(Bloom, GridRowsFollowTheShape) {
    struct Case {
        int w, h;
        int rows;  // 0: no bloom
    };
    const Case cases[] = {
        {8, 500, 0}, {500, 8, 0}, {9, 9, 120}, {400, 100, 30}, {1000, 100, 24}, {100, 300, 240}, {121, 100, 99},
    };
    for (const auto& c : cases) {
        auto b = Bloom::make(*painting(c.w, c.h, [](int, int) { return white; }), 1);
        ASSERT_EQ(b.has_value(), c.rows > 0) << c.w << "x" << c.h;
        if (!b) continue;
        ASSERT_EQ(b->masks.size(), 23u);
        ASSERT_EQ(b->rims.size(), 23u);
        EXPECT_EQ(b->masks[5]->width(), 120);
        EXPECT_EQ(b->masks[5]->height(), c.rows) << c.w << "x" << c.h;
        EXPECT_EQ(b->lines->width(), c.w);
        EXPECT_EQ(b->lines->height(), c.h);
    }
}

TEST(Bloom, FirstAndLastStages) {
    auto b = Bloom::make(*painting(100, 80, wash), 7919);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->masks[0], b->rims[0]);  // one empty image serves both
    EXPECT_TRUE(uniform(*b->masks[0], 0));
    EXPECT_TRUE(uniform(*b->masks[22], 255));
    EXPECT_TRUE(uniform(*b->rims[22], 0));
    // In between, the flood grows: every cell covered at one stage stays covered later.
    for (int k = 1; k < 22; ++k)
        for (int y = 0; y < b->masks[k]->height(); ++y)
            for (int x = 0; x < 120; ++x) ASSERT_GE(word(*b->masks[k + 1], x, y), word(*b->masks[k], x, y));
}

TEST(Bloom, InkLinesAreDarkAndNearlyGrey) {
    struct Case {
        const char* name;
        uint32_t pixel;
        bool line;
    };
    const Case cases[] = {
        {"black", opaque(0, 0, 0), true},
        {"dark grey", opaque(104, 104, 104), true},
        {"grey just too light", opaque(106, 106, 106), false},
        {"red of the same darkness", opaque(255, 0, 0), false},
        {"dark blue-grey, spread 69", opaque(40, 40, 109), true},
        {"spread 70", opaque(40, 40, 110), false},
        {"black at alpha 90", 90u << 24, false},
        {"half-covered black, dark over white", 200u << 24, true},
        {"transparent", 0, false},
    };
    for (const auto& c : cases) EXPECT_EQ(bloom::isLine(c.pixel), c.line) << c.name;

    // A black line on white paper is copied unchanged; paper and a red stroke are not.
    auto img = painting(40, 30, [](int x, int y) {
        if (y == 10) return opaque(0, 0, 0);
        if (y == 20) return opaque(255, 0, 0);
        return white;
    });
    auto b = Bloom::make(*img, 1);
    ASSERT_TRUE(b);
    EXPECT_EQ(word(*b->lines, 5, 10), opaque(0, 0, 0));
    EXPECT_EQ(word(*b->lines, 5, 20), 0u);
    EXPECT_EQ(word(*b->lines, 5, 5), 0u);
}

TEST(Bloom, SameImageAndSeedSameBloom) {
    auto img = painting(100, 80, wash);
    auto a = fieldOf(*img, 11), again = fieldOf(*img, 11), other = fieldOf(*img, 12);
    EXPECT_EQ(a.seeds, again.seeds);
    EXPECT_EQ(a.arrival, again.arrival);
    EXPECT_EQ(a.seeds[0], other.seeds[0]);  // the most coloured cell, whatever the seed
    EXPECT_NE(a.seeds, other.seeds);
    EXPECT_NE(a.arrival, other.arrival);
    // The first seed is the strongest colour: orange (channel spread 170) outweighs blue
    // (140), and its first cell is column 86, the first whose sample lies right of x 70.
    EXPECT_EQ(a.seeds[0], (bloom::Seed{86, 0, 0}));
}

TEST(Bloom, GreyPaintingStartsAtTheFirstPaintedCell) {
    // Transparent top rows, then grey: no cell is coloured, so every painted cell is a
    // candidate and the first in index order starts the flood.
    auto img = painting(120, 120, [](int x, int y) { return y < 40 ? 0u : opaque(128, 128, 128); });
    auto f = fieldOf(*img, 3);
    EXPECT_EQ(f.seeds[0], (bloom::Seed{0, 40, 0}));
}

TEST(Bloom, DrawsComeInTheirOrder) {
    // A transparent painting has one candidate, the cell at index rows·60: (0, 60) for 120
    // rows. Every pick lands on it, so the delays show where the draws fall: 60 picks, then
    // one delay draw, five times; then the 1024 lattice values.
    const uint64_t seed = 42;
    auto f = fieldOf(*painting(9, 9, [](int, int) { return 0u; }), seed);
    ASSERT_EQ(f.rows, 120);
    Rng rng(seed);
    std::vector<double> draws(305 + 1024);
    for (double& d : draws) d = rng.unit();
    ASSERT_EQ(f.seeds.size(), 6u);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(f.seeds[size_t(k)].x, 0);
        EXPECT_EQ(f.seeds[size_t(k)].y, 60);
        EXPECT_EQ(f.seeds[size_t(k)].t, k == 0 ? 0 : 0.07 * k + 0.05 * draws[size_t(61 * k - 1)]) << k;
    }
    // Cell (0, 65) lies on lattice points in both noises: coarse at (0, 5), fine at (7, 16).
    // Nothing is painted, so the reference time is 1 and arrivals are not rescaled.
    double coarse = draws[305 + 5 * 32 + 0], fine = draws[305 + 16 * 32 + 7];
    double speed = (0.65 * coarse + 0.35 * fine) * 0.9 + 0.55;
    double half = std::sqrt(120.0 * 120 + 120 * 120) / 2;
    EXPECT_DOUBLE_EQ(f.arrival[65 * 120 + 0], speed * 5 / half);
    // And the transparent painting still blooms in 23 stages.
    auto b = Bloom::make(*painting(9, 9, [](int, int) { return 0u; }), seed);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->masks.size(), 23u);
}

TEST(Bloom, LinesPassAgreesWithThePixelTest) {
    // The whole-painting pass is written for the vectoriser; it must pick exactly the pixels
    // the plain test picks, for every kind of premultiplied pixel.
    Rng rng(5);
    auto img = painting(97, 61, [&](int, int) {
        uint32_t a = uint32_t(rng.next() % 256);
        auto ch = [&] { return a == 0 ? 0u : uint32_t(rng.next() % (a + 1)); };
        return a << 24 | ch() << 16 | ch() << 8 | ch();
    });
    auto b = Bloom::make(*img, 1);
    ASSERT_TRUE(b);
    int lines = 0;
    for (int y = 0; y < 61; ++y)
        for (int x = 0; x < 97; ++x) {
            uint32_t px = word(*img, x, y);
            bool line = bloom::isLine(px);
            lines += line;
            ASSERT_EQ(word(*b->lines, x, y), line ? px : 0u) << x << "," << y;
        }
    EXPECT_GT(lines, 100);
}
