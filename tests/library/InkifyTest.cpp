#include "library/Inkify.h"

#include <gtest/gtest.h>

#include <cairo.h>

#include <cstdint>
#include <vector>

using namespace nolby;

namespace {

std::shared_ptr<const Image> painting(const std::vector<uint32_t>& argb) {
    const int w = int(argb.size());
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, 1);
    cairo_surface_flush(s);
    auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
    for (int x = 0; x < w; ++x) row[x] = argb[size_t(x)];
    cairo_surface_mark_dirty(s);
    return Image::adopt(s);
}

std::vector<uint32_t> pixels(const Image& img) {
    cairo_surface_flush(img.surface());
    const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(img.surface()));
    return std::vector<uint32_t>(row, row + img.width());
}

uint32_t solid(uint32_t r, uint32_t g, uint32_t b) { return 0xFF000000u | r << 16 | g << 8 | b; }
uint32_t ink(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return a << 24 | r << 16 | g << 8 | b; }

}  // namespace

TEST(Inkify, PaperVanishesAndInkKeepsItsColour) {
    struct Case {
        const char* name;
        uint32_t in, out;
    };
    const Case cases[] = {
        {"white paper", solid(255, 255, 255), 0},
        {"near white", solid(250, 251, 252), 0},
        {"least channel 249", solid(249, 249, 249), ink(0, 0, 0, 6)},
        {"pale cyan", solid(249, 255, 255), ink(0, 6, 6, 6)},
        {"black", solid(0, 0, 0), ink(0, 0, 0, 255)},
        {"orange", solid(255, 128, 0), ink(255, 128, 0, 255)},
        {"tan", solid(250, 200, 150), ink(100, 50, 0, 105)},
        {"grey", solid(128, 128, 128), ink(0, 0, 0, 127)},
        // Alpha truncates to 254 - m here while the colour keeps 255 - m.
        {"yellow, least 43", solid(255, 255, 43), ink(212, 212, 0, 211)},
        // A painting's transparent parts are bare paper, not black.
        {"transparent", 0x00000000u, 0},
        {"half-covered black", 0x80000000u, ink(0, 0, 0, 128)},
    };
    std::vector<uint32_t> in;
    for (const auto& c : cases) in.push_back(c.in);
    auto out = inkify(*painting(in));
    ASSERT_TRUE(out);
    ASSERT_EQ(out->width(), int(in.size()));
    ASSERT_EQ(out->height(), 1);
    const auto got = pixels(*out);
    for (size_t i = 0; i < in.size(); ++i) EXPECT_EQ(got[i], cases[i].out) << cases[i].name << std::hex << " " << got[i];
}

TEST(Inkify, GreysLoseOnlyTheirWhite) {
    std::vector<uint32_t> greys;
    for (uint32_t m = 0; m < 256; ++m) greys.push_back(solid(m, m, m));
    const auto got = pixels(*inkify(*painting(greys)));
    for (uint32_t m = 0; m < 256; ++m) {
        const uint32_t alpha = got[m] >> 24;
        EXPECT_EQ(got[m] & 0xFFFFFFu, 0u) << m;
        if (m >= 250)
            EXPECT_EQ(alpha, 0u) << m;
        else
            EXPECT_TRUE(alpha == 255 - m || alpha == 254 - m) << m << " " << alpha;
    }
}
