// The magazine ornaments: pixel text, the pixel stair, the signal flags, the retro window and
// the lens, and the text blocks of the chrome.
#include "ink/Mag.h"
#include "ink/mag/Lens.h"
#include "ink/mag/PixelStair.h"
#include "ink/mag/PixelText.h"
#include "ink/mag/QuirnFlags.h"
#include "ink/mag/RetroWindow.h"
#include "ink/mag/TextBlock.h"
#include "platform/Canvas.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;

namespace {

struct WithMagFaces : ::testing::Test {
    static void SetUpTestSuite() { Mag::registerFrom(); }
};

using PixelTextTest = WithMagFaces;
using TextBlockTest = WithMagFaces;

}  // namespace

TEST_F(PixelTextTest, SizesInBitmapPixels) {
    // 24 points at 2 points a pixel: a 16.56-pixel face, lines ceil(12 × 1.62) = 20 apart.
    const auto s = PixelText::setting("Learn anything.", 24, 2, 600);
    EXPECT_NEAR(s.fontSize, 16.56, 1e-12);
    EXPECT_EQ(s.lineHeight, 20);
    auto image = PixelText::raster("Learn anything.", 24, 2, 600);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->height(), 22);
    const PixelText view{"Learn anything.", 24, 2, 600, Color{1, 1, 1, 1}};
    EXPECT_EQ(view.measure().width, image->width() * 2.0);
    EXPECT_EQ(view.measure().height, 44);
}

TEST_F(PixelTextTest, EmptyTextIsOneBlankLine) {
    auto image = PixelText::raster("", 24, 2, 600);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 3);
    EXPECT_EQ(image->height(), 22);
    Canvas c(20, 60);
    PixelText{"", 24, 2, 600, Color{1, 0, 0, 1}, 1}.draw(c.cr(), {0, 0});
    for (int y = 0; y < 60; y += 3)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(c.pixel(x, y).a, 0);
}

TEST_F(PixelTextTest, WrapsAtSpacesAndKeepsLongWordsWhole) {
    auto font = Mag::newsCT(24 / 2.0 * 1.38, 620, false);
    const double word = textWidth("Antidisestablishmentarianism", *font);
    // A line 40 points (20 pixels) wide: every word on a line of its own, the long one whole.
    const auto s = PixelText::setting("a  Antidisestablishmentarianism b", 24, 2, 40);
    EXPECT_EQ(s.lines, (std::vector<std::string>{"a", "Antidisestablishmentarianism", "b"}));
    auto image = PixelText::raster("a  Antidisestablishmentarianism b", 24, 2, 40);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), std::ceil(word) + 2);
    EXPECT_EQ(image->height(), 3 * 20 + 2);
    // Two spaces behave like one.
    EXPECT_EQ(PixelText::setting("a  b", 24, 2, 600).lines, PixelText::setting("a b", 24, 2, 600).lines);
}

TEST_F(PixelTextTest, BitmapIsOneBit) {
    auto image = PixelText::raster("Pixels", 30, 1.5, 600);
    ASSERT_TRUE(image);
    cairo_surface_t* s = image->surface();
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    size_t set = 0;
    for (int y = 0; y < image->height(); ++y)
        for (int x = 0; x < image->width(); ++x) {
            const uint32_t p = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            ASSERT_TRUE(p == 0 || p == 0xFFFFFFFFu) << x << "," << y;
            set += p != 0;
        }
    EXPECT_GT(set, 50u);
}

TEST_F(PixelTextTest, CacheIsBoundedAndKeepsWhatWasUsedLast) {
    auto first = PixelText::raster("kept", 20, 2, 300);
    EXPECT_EQ(PixelText::raster("kept", 20, 2, 300), first);  // the same bitmap, not a new one
    for (size_t i = 0; i < PixelText::kCacheSize + 20; ++i) {
        PixelText::raster("x" + std::to_string(i), 20, 2, 300);
        if (i % 50 == 0) EXPECT_EQ(PixelText::raster("kept", 20, 2, 300), first);  // used lately: stays
    }
    EXPECT_EQ(PixelText::cached(), PixelText::kCacheSize);
    auto early = PixelText::raster("x1", 20, 2, 300);
    EXPECT_NE(early, nullptr);  // dropped and made again, not lost
    EXPECT_FALSE(PixelText::raster("text", 20, 0, 300));
    EXPECT_FALSE(PixelText::raster("text", std::nan(""), 2, 300));
}

TEST_F(PixelTextTest, SplitDrawsRedAndCyanCopiesBesideTheText) {
    // One wide, solid glyph drawn at 2 points a pixel with a split of 1: the red copy reaches
    // 2 points further left, the cyan copy 2 further right, the coloured copy over both.
    Canvas plain(200, 80), split(200, 80);
    PixelText{"W", 40, 2, 400, Color{0, 0, 0, 1}, 0}.draw(plain.cr(), {20, 0});
    PixelText{"W", 40, 2, 400, Color{0, 0, 0, 1}, 1}.draw(split.cr(), {20, 0});
    int plainLeft = 999, splitLeft = 999;
    Color leftmost;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 80; ++y) {
            if (plain.pixel(x, y).a > 0 && x < plainLeft) plainLeft = x;
            if (split.pixel(x, y).a > 0 && x < splitLeft) {
                splitLeft = x;
                leftmost = split.pixel(x, y);
            }
        }
    EXPECT_EQ(plainLeft - splitLeft, 2);
    EXPECT_NEAR(leftmost.r, Mag::red.r, 1 / 255.0);
    EXPECT_NEAR(leftmost.g, Mag::red.g, 1 / 255.0);
}

TEST(PixelStair, FallsFromTheFullHeightToThreeCells) {
    const PixelStair stair{10, 42};
    const auto cols = stair.columns({300, 80});  // 30 whole columns and the part-column
    ASSERT_EQ(cols.size(), 31u);
    EXPECT_LE(cols.front().height, 8);
    for (const auto& c : cols) {
        EXPECT_GE(c.height, 3);
        EXPECT_LE(c.height, 8);
    }
    EXPECT_LE(cols.back().height, 5);
    EXPECT_EQ(stair.columns({300, 80}), cols);  // the same seed, the same staircase
    EXPECT_NE((PixelStair{10, 43}.columns({300, 80})), cols);
    // A band three cells high still hangs columns four cells tall at most.
    for (const auto& c : PixelStair{10, 7}.columns({120, 30})) {
        EXPECT_GE(c.height, 3);
        EXPECT_LE(c.height, 4);
    }
    EXPECT_TRUE((PixelStair{0, 1}.columns({100, 100})).empty());
    EXPECT_EQ((PixelStair{1e-9, 1}.columns({100, 100})).size(), size_t(PixelStair::kMaxColumns + 1));
}

TEST(QuirnFlags, FiveTilesSpanTheWidth) {
    const auto tiles = QuirnFlags::tiles({100, 20});
    const double xs[] = {0, 20.6, 41.2, 61.8, 82.4};
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(tiles[i].x, xs[i], 1e-9) << i;
        EXPECT_NEAR(tiles[i].w, 17.6, 1e-9) << i;
        EXPECT_EQ(tiles[i].h, 20);
    }
    Canvas c(100, 20);
    QuirnFlags{}.draw(c.cr(), {0, 0, 100, 20});
    EXPECT_EQ(c.pixel(50, 10).hexString(), "#ffffffff");  // the middle stripe of tile 2 is white
    EXPECT_NEAR(c.pixel(66, 15).r, Mag::red.r, 1 / 255.0);  // tile 3's lower half
    EXPECT_NEAR(c.pixel(91, 10).r, Mag::yellow.r, 1 / 255.0);  // tile 4's cross
}

TEST(RetroWindow, MeasuresScaleWithTheWindow) {
    const RetroWindow w{"sky.ink", 2};
    // Frame padding 2 s, a 13 s title bar (26 points at scale 2), content inset 2 s more.
    const Rect content = w.contentFrame({0, 0, 200, 150});
    EXPECT_EQ(content, (Rect{8, 4 + 26 + 4, 200 - 16, 150 - 8 - 26 - 8}));
    Canvas c(220, 170);
    Rect got;
    w.draw(c.cr(), {10, 10, 200, 150}, [&](cairo_t*, const Rect& area) { got = area; });
    EXPECT_EQ(got, content.offsetBy(10, 10));
    EXPECT_EQ(c.pixel(100, 100).hexString(), "#ffffffff");  // the white content area
    const Color bar = c.pixel(40, 20);
    EXPECT_GT(bar.b, bar.r);  // the blue title bar
    EXPECT_EQ(cairo_status(c.cr()), CAIRO_STATUS_SUCCESS);
}

TEST(Lens, PowerOneShowsTheContentUnchanged) {
    auto under = [](cairo_t* cr) {
        cairo_rectangle(cr, 0, 0, 50, 100);
        cairo_set_source_rgb(cr, 1, 0, 0);
        cairo_fill(cr);
        cairo_rectangle(cr, 50, 0, 50, 100);
        cairo_set_source_rgb(cr, 0, 0, 1);
        cairo_fill(cr);
    };
    Canvas one(100, 100), two(100, 100);
    Lens{{50, 50}, 30, 1, {100, 100}}.draw(one.cr(), {0, 0}, under);
    Lens{{50, 50}, 30, 2, {100, 100}}.draw(two.cr(), {0, 0}, under);
    // Inside the clear middle: the content as it lies (power 1), or enlarged about the centre.
    auto near = [](Color got, Color want) {
        EXPECT_NEAR(got.r, want.r, 2 / 255.0);
        EXPECT_NEAR(got.g, want.g, 2 / 255.0);
        EXPECT_NEAR(got.b, want.b, 2 / 255.0);
    };
    near(one.pixel(38, 50), {1, 0, 0, 1});
    near(one.pixel(62, 50), {0, 0, 1, 1});
    near(two.pixel(62, 50), {0, 0, 1, 1});
    near(two.pixel(48, 50), {1, 0, 0, 1});  // 2 left of the centre shows what lies 1 left
    EXPECT_EQ(one.pixel(5, 5).a, 0);  // nothing outside the circle but the shadow's edge
    Canvas bad(10, 10);
    Lens{{std::nan(""), 5}, 3, 1, {10, 10}}.draw(bad.cr(), {0, 0}, under);
    EXPECT_EQ(cairo_status(bad.cr()), CAIRO_STATUS_SUCCESS);
}

TEST_F(TextBlockTest, ShrinksToFitItsLinesThenCuts) {
    auto font = [](double s) { return Mag::ct(Mag::Face::fraunces, s, {{"wght", 600}}); };
    const chrome::Block fits = chrome::block("Why the Sky Is Blue", font, 30, 0, 400, 3, 0.6);
    EXPECT_EQ(fits.size, 30);
    EXPECT_EQ(fits.lines.size(), 1u);
    // Too long for three lines at full size: smaller, but never below the floor.
    const std::string many = "one two three four five six seven eight nine ten eleven twelve";
    const chrome::Block shrunk = chrome::block(many, font, 30, 0, 200, 3, 0.6);
    EXPECT_LT(shrunk.size, 30);
    EXPECT_GE(shrunk.size, 18);
    EXPECT_LE(shrunk.lines.size(), 3u);
    for (const auto& l : shrunk.lines) EXPECT_LE(l.width(), 200);
    // A 10,000-character title: three lines, the last cut short.
    std::string huge;
    while (huge.size() < 10000) huge += "word ";
    const chrome::Block cut = chrome::block(huge, font, 30, 0, 200, 3, 0.6);
    ASSERT_EQ(cut.lines.size(), 3u);
    EXPECT_TRUE(cut.lines.back().truncated);
    EXPECT_NEAR(cut.size, 18, 1e-9);
    EXPECT_TRUE(chrome::block("x", font, 30, 0, std::nan(""), 3, 0.6).lines.empty());
}
