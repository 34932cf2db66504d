// What a cover is built from: the unprinted placeholder with its halftone and press mark,
// and the tutor's doodle laid out as ink, cached and whitened.
#include "ink/mag/DoodleInk.h"
#include "ink/mag/Unprinted.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"
#include "platform/Canvas.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;

TEST(Unprinted, HalftoneGrowsTowardTheFoot) {
    // 100 wide: the pitch would be 100 / 34 but is held at 5, the first row at 2.5.
    EXPECT_EQ(Unprinted::pitch(100), 5);
    EXPECT_NEAR(Unprinted::pitch(340), 10, 1e-12);
    const auto dots = Unprinted::halftone({100, 200});
    ASSERT_FALSE(dots.empty());
    double lowest = 0, largest = 0;
    for (const auto& d : dots) {
        EXPECT_GE(d.centre.y, 0.35 * 200);  // the top 35 % is bare
        EXPECT_GT(d.radius, 0.3);
        const double row = (d.centre.y - 2.5) / (0.87 * 5);
        EXPECT_NEAR(row, std::round(row), 1e-9);
        lowest = std::max(lowest, d.centre.y);
        largest = std::max(largest, d.radius);
    }
    EXPECT_GT(lowest, 195);
    EXPECT_NEAR(largest, 0.46 * 5, 0.05);  // nearly 0.46 pitch on the bottom row
    // Staggered rows: even rows start half a pitch in, odd rows a whole pitch.
    const double firstX = dots.front().centre.x;
    EXPECT_TRUE(firstX == 2.5 || firstX == 5);
    EXPECT_TRUE(Unprinted::halftone({0, 100}).empty());
    EXPECT_TRUE(Unprinted::halftone({std::nan(""), 100}).empty());
}

TEST(Unprinted, PressMarkPulses) {
    EXPECT_EQ(PressMark::pulse(0), 0);
    EXPECT_NEAR(PressMark::pulse(0.9), 1, 1e-9);
    EXPECT_NEAR(PressMark::pulse(1.8), 0, 1e-9);
    EXPECT_NEAR(PressMark::pulse(0.45), 0.5, 1e-9);
    EXPECT_NEAR((PressMark{0}.opacity()), 0.35, 1e-12);
    EXPECT_NEAR((PressMark{1}.opacity()), 0.95, 1e-12);

    Canvas plain(120, 160), printing(120, 160);
    Unprinted{Mag::inks("red"), false, {}}.draw(plain.cr(), {0, 0, 120, 160});
    Unprinted{Mag::inks("red"), true, {1}}.draw(printing.cr(), {0, 0, 120, 160});
    EXPECT_EQ(plain.pixel(0, 0).hexString(), Color::hex(Mag::inks("red").a).hexString());
    int differs = 0;
    for (int x = 0; x < 120; ++x)
        for (int y = 90; y < 110; ++y) differs += plain.pixel(x, y) != printing.pixel(x, y);
    EXPECT_GT(differs, 20);  // the mark, a little below the middle
}

namespace {

nlohmann::json square() { return nlohmann::json::parse(R"([{"k":"rect","x":0,"y":0,"w":100,"h":100,"fill":"blue"}])"); }

}  // namespace

TEST(DoodleInk, CachedBySeedSizeWhitenessAndItems) {
    const auto a = DoodleInk::ops(square(), 7, 120, false);
    EXPECT_FALSE(a.empty());
    EXPECT_EQ(DoodleInk::ops(square(), 7, 120.6, false), a);  // the box is taken whole
    // Other items at the same seed and size are laid out, not served from the cache.
    const auto b = DoodleInk::ops(nlohmann::json::parse(R"([{"k":"circle","x":50,"y":50,"r":30}])"), 7, 120, false);
    EXPECT_NE(b, a);
    EXPECT_TRUE(DoodleInk::ops(nlohmann::json::parse(R"({"not":"a list"})"), 7, 120, false).empty());
    EXPECT_TRUE(DoodleInk::ops(square(), 7, std::nan(""), false).empty());
}

TEST(DoodleInk, TheCacheEmptiesBeforeItsTwoHundredAndFirstEntry) {
    for (uint64_t seed = 1000; DoodleInk::laid() < DoodleInk::kLimit; ++seed) DoodleInk::ops(square(), seed, 50, false);
    EXPECT_EQ(DoodleInk::laid(), DoodleInk::kLimit);
    DoodleInk::ops(square(), 999999, 50, false);
    EXPECT_EQ(DoodleInk::laid(), 1u);
}

TEST(DoodleInk, DrawnInACentredSquare) {
    Canvas c(300, 200);
    DoodleInk{square(), 3, false}.draw(c.cr(), {0, 0, 300, 200});
    int left = 300, right = 0;
    for (int x = 0; x < 300; ++x)
        if (c.pixel(x, 100).a > 0) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    EXPECT_NEAR(left, 50, 4);
    EXPECT_NEAR(right, 250, 4);
}

TEST(DoodleInk, WhitenRecoloursForADarkGround) {
    Path p;
    p.moveTo(0, 0);
    p.lineTo(10, 10);
    Pen marker = Pen::usual(Color{1, 0.8, 0, 1}, 8);
    marker.blend = BlendMode::multiply;
    auto highlight = std::make_shared<StrokeOp>(p, marker);
    auto plain = std::make_shared<StrokeOp>(p, Pen::usual(Color{0, 0, 1, 1}, 2), 2);
    plain->pause = 0.4;
    auto fill = std::make_shared<FillOp>(p, Color{0, 0, 1, 0.5}, BlendMode::multiply);
    auto mono = std::make_shared<MonoOp>("x = 1", 0, 0, *Font::none(12), 7, std::vector<Color>{Color{1, 0, 0, 1}});
    auto text = std::make_shared<TextOp>("hi", 0, 0, *Font::none(12), Color{0, 0, 0, 1});

    auto w = [](InkOpRef op) { return DoodleInk::whiten(op); };
    auto stroke = [](const InkOpRef& op) { return dynamic_cast<const StrokeOp*>(op.get()); };
    EXPECT_EQ(stroke(w(highlight))->pen.color, (Color{1, 1, 1, 0.3}));
    EXPECT_EQ(stroke(w(highlight))->pen.blend, BlendMode::normal);
    const auto whitePlain = w(plain);
    EXPECT_EQ(stroke(whitePlain)->pen.color, (Color{1, 1, 1, 1}));
    EXPECT_EQ(stroke(whitePlain)->passes(), 2);
    EXPECT_EQ(whitePlain->pause, 0.4);
    const auto whiteFill = w(fill);
    const auto* f = dynamic_cast<const FillOp*>(whiteFill.get());
    EXPECT_EQ(f->color, (Color{1, 1, 1, 0.16}));
    EXPECT_EQ(f->blend, BlendMode::normal);
    const auto whiteMono = w(mono);
    for (const auto& cell : dynamic_cast<const MonoOp*>(whiteMono.get())->cells()) EXPECT_EQ(cell.color, (Color{1, 1, 1, 1}));
    EXPECT_EQ(dynamic_cast<const TextOp*>(w(text).get())->color, (Color{1, 1, 1, 1}));
    // The originals are shared ink: they stay as they were.
    EXPECT_EQ(mono->cells()[0].color, (Color{1, 0, 0, 1}));
    EXPECT_EQ(plain->pen.color, (Color{0, 0, 1, 1}));
    // Wrappers are kept around the whitened operation.
    auto shifted = w(std::make_shared<ShiftOp>(std::make_shared<RotOp>(plain, 10, 0, 0), 5, 6));
    const auto* outer = dynamic_cast<const ShiftOp*>(shifted.get());
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->dx, 5);
    const auto* rot = dynamic_cast<const RotOp*>(outer->inner.get());
    ASSERT_TRUE(rot);
    EXPECT_EQ(stroke(rot->inner)->pen.color, (Color{1, 1, 1, 1}));
    // White ink from the figure interpreter: every stroke of a whitened doodle is white.
    for (const auto& op : DoodleInk::ops(square(), 5, 100, true))
        if (auto s = stroke(op->placement().base)) EXPECT_EQ(s->pen.color.r, 1);
}
