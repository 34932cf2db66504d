// Sketches and figure blocks: heights, the "_scale" squeeze, the painting's place, the
// wet placeholder, captions, and the figure's frame in the column.
#include "BlocksTestSupport.h"
#include "../fig/FigTestSupport.h"
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/ImageOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/WetOp.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace nolby;
using nolby::testing::sharedAs;
using nolby::testing::obj;
using nolby::testing::page;
using nolby::testing::sameInk;

namespace {

constexpr double kW = 352;  // the column of a 400-point page

std::shared_ptr<const Image> painting(int w, int h) {
    return Image::adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
}

// The height of a pencil caption in the column, as the blocks write it.
double captionHeight(const std::string& text, uint64_t seed, double top) {
    Hand hand(seed + 77);
    return hand.write(text, 24, top, kW, 14.5, Ink::pencil, Faces::Face::hand, std::nullopt, Hand::Align::center)
        .height;
}

}  // namespace

TEST(BlocksSketch, HeightIsClampedAndSqueezed) {
    struct Case {
        const char* json;
        double H;
    };
    const Case cases[] = {
        {R"({"t":"sketch"})", kW / 100 * 46},
        {R"({"t":"sketch","h":5})", kW / 100 * 20},
        {R"({"t":"sketch","h":200})", kW / 100 * 90},
        {R"({"t":"sketch","h":"60"})", kW / 100 * 60},
        {R"({"t":"sketch","h":60,"_scale":0.3})", kW / 100 * 60 * 0.6},
        {R"({"t":"sketch","h":60,"_scale":0.8})", kW / 100 * 60 * 0.8},
        {R"({"t":"sketch","h":60,"_scale":3})", kW / 100 * 60},
        {R"({"t":"sketch","h":"tall","_scale":"x"})", kW / 100 * 46},
    };
    for (const Case& c : cases) {
        Laid laid = page().lay(obj(c.json), 3);
        EXPECT_DOUBLE_EQ(laid.height, c.H + 8) << c.json;
        // Without its painting the sketch is one wet wash over the whole column.
        ASSERT_EQ(laid.ops.size(), 1u) << c.json;
        auto wet = sharedAs<WetOp>(laid.ops[0]);
        ASSERT_TRUE(wet) << c.json;
        EXPECT_EQ(wet->rect, (Rect{24, 4, kW, c.H})) << c.json;
        EXPECT_EQ(wet->seed, 3u);
    }
}

TEST(BlocksSketch, PaintingKeepsTheHeightAndFitsTheColumn) {
    const double H = kW / 100 * 46;
    struct Case {
        int w, h;
        double dw;
    };
    const Case cases[] = {
        {1000, 100, kW},                // very wide: held to the column
        {100, 400, H * 100 / 400},      // tall and narrow: centred
        {512, 512, H},                  // square
    };
    for (const Case& c : cases) {
        Laid laid = page().sketch(obj(R"({"t":"sketch"})"), 3, painting(c.w, c.h));
        EXPECT_DOUBLE_EQ(laid.height, H + 8);
        ASSERT_EQ(laid.ops.size(), 1u);
        auto image = sharedAs<ImageOp>(laid.ops[0]);
        ASSERT_TRUE(image);
        EXPECT_DOUBLE_EQ(image->dst.w, c.dw) << c.w << "x" << c.h;
        EXPECT_DOUBLE_EQ(image->dst.x, 24 + (kW - c.dw) / 2);
        EXPECT_EQ(image->dst.y, 4);
        EXPECT_DOUBLE_EQ(image->dst.h, H);
    }
    // Only sketches read the image the dispatcher is handed.
    auto image = painting(64, 64);
    EXPECT_TRUE(sharedAs<ImageOp>(page().lay(obj(R"({"t":"sketch"})"), 3, image).ops.at(0)));
    EXPECT_EQ(page().lay(obj(R"({"t":"p","text":"x"})"), 3, image).ops.size(),
              page().lay(obj(R"({"t":"p","text":"x"})"), 3).ops.size());
}

TEST(BlocksSketch, CaptionIsWrittenBeforeThePictureShows) {
    const std::string json = R"({"t":"sketch","h":30,"caption":"a cat on a mat"})";
    const double H = kW / 100 * 30;
    const double th = captionHeight("a cat on a mat", 3, H + 8);
    ASSERT_NEAR(th, 14.5 * 1.42, 1e-9);

    Laid wet = page().lay(obj(json), 3);
    EXPECT_DOUBLE_EQ(wet.height, H + 10 + th);
    EXPECT_TRUE(sharedAs<WetOp>(wet.ops.front()));
    auto words = sharedAs<PhraseOp>(wet.ops.back());
    ASSERT_TRUE(words);
    EXPECT_EQ(words->runs.at(0).color, Ink::pencil);
    EXPECT_EQ(words->size, 14.5);
    // Centred in the column.
    const auto& last = words->runs.back();
    EXPECT_NEAR((words->runs.front().x + last.x + last.glyphs.width) / 2, 200, 1e-9);

    Laid painted = page().sketch(obj(json), 3, painting(300, 200));
    EXPECT_DOUBLE_EQ(painted.height, wet.height);
    EXPECT_TRUE(sharedAs<PhraseOp>(painted.ops.front()));
    EXPECT_TRUE(sharedAs<ImageOp>(painted.ops.back()));
    EXPECT_EQ(painted.ops.size(), wet.ops.size());

    // An empty caption is no caption.
    EXPECT_DOUBLE_EQ(page().lay(obj(R"({"t":"sketch","h":30,"caption":""})"), 3).height, H + 8);
}

TEST(BlocksSketch, FigureBlockWithoutItemsIsEmpty) {
    for (const char* json : {R"({"t":"fig"})", R"({"t":"fig","items":"a circle"})", R"({"t":"fig","items":{}})"}) {
        Laid laid = page().lay(obj(json), 1);
        EXPECT_TRUE(laid.ops.empty()) << json;
        EXPECT_EQ(laid.height, 0) << json;
    }
    // An empty list (or one of nothing drawable) still takes the figure's box.
    struct Case {
        const char* json;
        double boxH;
    };
    const Case cases[] = {
        {R"({"t":"fig","items":[]})", 40},
        {R"({"t":"fig","items":[1,"x",null]})", 40},
        {R"({"t":"fig","items":[],"h":200})", 140},
        {R"({"t":"fig","items":[],"h":2})", 6},
        {R"({"t":"fig","items":[],"h":"25"})", 25},
    };
    for (const Case& c : cases) {
        Laid laid = page().lay(obj(c.json), 1);
        EXPECT_TRUE(laid.ops.empty()) << c.json;
        EXPECT_DOUBLE_EQ(laid.height, c.boxH * (kW / 100) + 8) << c.json;
    }
    Laid squeezed = page().lay(obj(R"({"t":"fig","items":[],"_scale":0.5})"), 1);
    EXPECT_DOUBLE_EQ(squeezed.height, 40 * (kW / 100 * 0.6) + 8);
}

TEST(BlocksSketch, FigureFrameFollowsTheSqueeze) {
    const std::string items =
        R"([{"k":"rect","x":5,"y":5,"w":40,"h":25,"text":"box"},{"k":"circle","x":75,"y":18,"r":12,"fill":"blue"},)"
        R"({"k":"text","x":50,"y":36,"text":"label","align":"c"}])";
    struct Case {
        double scale, textSize;
    };
    // Text never drops below 10.5 points: at 0.6 it would be 7.5.
    const Case cases[] = {{1, 12.5}, {0.9, 11.25}, {0.6, 10.5}, {0.2, 10.5}};
    for (const Case& c : cases) {
        const double s = std::max(c.scale, 0.6);
        nlohmann::json o{{"t", "fig"}, {"h", 40}, {"_scale", c.scale}, {"items", nlohmann::json::parse(items)}};
        Laid laid = page().lay(J(o), 21);
        Fig expected(21, 24 + kW * (1 - s) / 2, 4, kW / 100 * s, 40, c.textSize, 1.55);
        expected.draw(nlohmann::json::parse(items));
        EXPECT_TRUE(sameInk(laid.ops, expected.ops)) << c.scale;
        EXPECT_DOUBLE_EQ(laid.height, 40 * (kW / 100 * s) + 8) << c.scale;
    }
    // Centred in the column whatever the squeeze: a line across the figure's whole width.
    for (double s : {1.0, 0.6}) {
        nlohmann::json o{{"t", "fig"}, {"_scale", s}, {"items", {{{"k", "line"}, {"pts", {{0, 10}, {100, 10}}}}}}};
        Rect b = page().lay(J(o), 2).ops.at(0)->bounds();
        EXPECT_NEAR(b.midX(), 200, 1.5) << s;
        EXPECT_NEAR(b.width(), kW * s, 4) << s;
    }
}

TEST(BlocksSketch, FigureBlockGrowsForInkBelowItsBoxAndCaption) {
    const double k = kW / 100;
    // A line well below the 20-unit box makes the block taller than the box.
    nlohmann::json low{{"t", "fig"}, {"h", 20}, {"items", {{{"k", "line"}, {"pts", {{10, 40}, {90, 40}}}}}}};
    Laid laid = page().lay(J(low), 4);
    ASSERT_EQ(laid.ops.size(), 1u);
    EXPECT_GT(laid.height, 20 * k + 8);
    EXPECT_DOUBLE_EQ(laid.height, laid.ops[0]->bounds().maxY() + 6);

    // Inside the box the box decides; a caption adds its height and 2.
    nlohmann::json inside{{"t", "fig"}, {"h", 20}, {"items", {{{"k", "line"}, {"pts", {{10, 10}, {90, 10}}}}}}};
    EXPECT_DOUBLE_EQ(page().lay(J(inside), 4).height, 20 * k + 8);
    inside["caption"] = "two points of a line";
    Laid captioned = page().lay(J(inside), 4);
    const double th = captionHeight("two points of a line", 4, 20 * k + 8);
    auto words = sharedAs<PhraseOp>(captioned.ops.back());
    ASSERT_TRUE(words);
    EXPECT_EQ(words->runs.at(0).color, Ink::pencil);
    // The caption's own ink counts too: its descenders reach a little below its line.
    EXPECT_DOUBLE_EQ(captioned.height, std::max(20 * k + 8 + th + 2, words->bounds().maxY() + 6));
    EXPECT_GE(captioned.height, 20 * k + 8 + th + 2);
}
