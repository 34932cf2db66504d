// The painter's request body, aspect labels and whitening.
#include "tutor/Painter.h"

#include "platform/Pict.h"

#include <gtest/gtest.h>

#include <cmath>

namespace nolby {
namespace {

struct Rgba {
    int r, g, b, a;
    bool operator==(const Rgba&) const = default;
};

// A one-row picture of these straight (not premultiplied) colours, as PNG bytes.
std::vector<uint8_t> png(const std::vector<Rgba>& pixels) {
    const int w = static_cast<int>(pixels.size());
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, 1);
    auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s));
    for (int x = 0; x < w; ++x) {
        const Rgba p = pixels[x];
        auto pre = [&](int c) { return static_cast<uint32_t>((c * p.a + 127) / 255); };
        row[x] = (uint32_t(p.a) << 24) | (pre(p.r) << 16) | (pre(p.g) << 8) | pre(p.b);
    }
    cairo_surface_mark_dirty(s);
    auto image = Image::adopt(s);
    return *Pict::encode(*image, Pict::png);
}

// The straight colours of a picture's first row.
std::vector<Rgba> pixels(const std::vector<uint8_t>& bytes) {
    auto image = Pict::image(bytes);
    EXPECT_TRUE(image);
    if (!image) return {};
    cairo_surface_flush(image->surface());
    const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image->surface()));
    std::vector<Rgba> out;
    for (int x = 0; x < image->width(); ++x) {
        const uint32_t p = row[x];
        const int a = static_cast<int>(p >> 24);
        auto straight = [&](int c) { return a ? (c * 255 + a / 2) / a : 0; };
        out.push_back({straight((p >> 16) & 255), straight((p >> 8) & 255), straight(p & 255), a});
    }
    return out;
}

TEST(Painter, AspectLabels) {
    struct Case {
        double w, h;
        const char* label;
    };
    for (const Case c : {Case{1000, 750, "4:3"}, Case{600, 1600, "2:3"}, Case{1920, 1080, "16:9"}, Case{1100, 1000, "1:1"},
                         Case{0, 50, "1:1"}, Case{400, 0.5, "16:9"}, Case{352, 352 * 0.4, "16:9"}, Case{352, 352 * 0.9, "1:1"}})
        EXPECT_EQ(Painter::aspect(c.w, c.h), c.label) << c.w << "x" << c.h;
}

TEST(Painter, BodyCutsTheSubjectAndTheInks) {
    const std::string long700(700, 'a');
    nlohmann::json b = Painter::body("painting", long700, "4:3", std::nullopt);
    EXPECT_EQ(b["subject"].get<std::string>().size(), 600u);
    EXPECT_FALSE(b.contains("inks"));
    b = Painter::body("cover", "pie", "3:4", std::string());
    EXPECT_EQ(b, nlohmann::json({{"kind", "cover"}, {"subject", "pie"}, {"aspect", "3:4"}, {"inks", ""}}));
    // Characters, not bytes: 600 of them, accents and all.
    std::string accented;
    for (int i = 0; i < 650; ++i) accented += "é";
    EXPECT_EQ(Painter::body("painting", accented, "1:1", std::string(250, 'b'))["inks"].get<std::string>().size(), 200u);
    EXPECT_EQ(Painter::body("painting", accented, "1:1", std::nullopt)["subject"].get<std::string>().size(), 1200u);
}

TEST(Painter, WhitenedPushesPaperToWhiteAndKeepsColour) {
    const std::vector<uint8_t> before = png({{250, 240, 230, 255}, {240, 238, 237, 255}, {200, 220, 250, 255}, {10, 20, 30, 255}});
    EXPECT_EQ(pixels(Painter::whitened(before)),
              (std::vector<Rgba>{{253, 250, 247, 255}, {255, 255, 255, 255}, {200, 220, 250, 255}, {10, 20, 30, 255}}));
}

TEST(Painter, WhitenedReadsTheColourOfTranslucentPixelsNotTheirPremultipliedValue) {
    const std::vector<Rgba> out = pixels(Painter::whitened(png({{250, 240, 230, 128}})));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].a, 128);
    // (253, 250, 247) but for the rounding of a translucent pixel; its premultiplied value,
    // about (125, 120, 115), would have left it as it was.
    EXPECT_GE(out[0].r, 250);
    EXPECT_GE(out[0].g, 248);
    EXPECT_GE(out[0].b, 244);
}

TEST(Painter, WhitenedLeavesWhatIsNotAPictureAndTurnsJpegIntoPng) {
    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
    EXPECT_EQ(Painter::whitened(text), text);
    auto image = Pict::image(png({{250, 240, 230, 255}, {20, 20, 20, 255}}));
    const std::vector<uint8_t> jpeg = *Pict::encode(*image, Pict::jpeg);
    const std::vector<uint8_t> out = Painter::whitened(jpeg);
    ASSERT_GE(out.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 8), (std::vector<uint8_t>{0x89, 'P', 'N', 'G', 13, 10, 26, 10}));
}

}  // namespace
}  // namespace nolby
