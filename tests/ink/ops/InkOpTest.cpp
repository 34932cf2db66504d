#include "OpsTestSupport.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/ImageOp.h"
#include "ink/ops/Laid.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WetOp.h"
#include "ink/ops/WrapOp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

using namespace nolby;
using namespace nolby::testing;

namespace {

Pen pen(double width = 2, Color c = Ink::ink) { return Pen::usual(c, width); }

Path line(double x1, double y1, double x2, double y2) {
    Path p;
    p.moveTo(x1, y1);
    p.lineTo(x2, y2);
    return p;
}

std::shared_ptr<const Image> solidImage(int w, int h, Color c) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    draw::setColor(cr, c);
    cairo_paint(cr);
    cairo_destroy(cr);
    return Image::adopt(s);
}

GlyphRun runOfWidth(double w) {
    GlyphRun g;
    g.width = w;
    Path box;
    box.addRect({0, -8, w, 8});
    g.path = GlyphOutline(std::move(box));
    return g;
}

// One operation of every leaf kind, each with visible ink inside 120 x 60.
std::vector<InkOpRef> everyLeaf() {
    auto font = handFont(20);
    Path box;
    box.addRect({10, 10, 40, 30});
    std::vector<PhraseOp::Run> runs{{GlyphRun("ink", *font), 10, 35, Ink::ink},
                                    {GlyphRun("flows", *font), 50, 35, Color::hex(0x1971c2)}};
    return {
        std::make_shared<StrokeOp>(line(10, 10, 100, 40), pen()),
        std::make_shared<FillOp>(box, Color::hex(0xe03131)),
        std::make_shared<TextOp>("Text", 10, 35, *font, Ink::ink, 0, Ink::paper),
        std::make_shared<PhraseOp>(runs, 20.0),
        std::make_shared<MonoOp>("code()", 10, 35, *font, 12, std::vector<Color>{Color::hex(0x6741d9)}),
        std::make_shared<ImageOp>(solidImage(4, 4, Color::hex(0x2f9e44)), Rect{10, 10, 60, 40}),
        std::make_shared<WetOp>(Rect{0, 0, 120, 60}, 7),
    };
}

}  // namespace

TEST(InkOp, EveryLeafDrawsNothingUntilRevealedAndAllOfItFromOne) {
    for (const InkOpRef& op : everyLeaf()) {
        SCOPED_TRACE(op->className());
        for (double t : {0.0, -0.5, double(NAN)}) EXPECT_TRUE(blank(render(*op, t)));
        auto whole = render(*op, 1);
        EXPECT_FALSE(blank(whole));
        EXPECT_EQ(render(*op, 2), whole);
        EXPECT_EQ(render(*op, INFINITY), whole);
        // Wrappers pass t through unchanged.
        EXPECT_EQ(render(ShiftOp(op, 0, 0), 1), whole);
    }
}

TEST(InkOp, DrawingLeavesTheContextAsItWas) {
    Canvas c(120, 60);
    cairo_set_line_width(c.cr(), 3);
    cairo_matrix_t before;
    cairo_get_matrix(c.cr(), &before);
    for (const InkOpRef& op : everyLeaf()) {
        RotOp(op, 10, 5, 5).draw(c.cr(), 0.5);
        EXPECT_EQ(cairo_get_line_width(c.cr()), 3) << op->className();
        EXPECT_EQ(cairo_get_operator(c.cr()), CAIRO_OPERATOR_OVER) << op->className();
        cairo_matrix_t after;
        cairo_get_matrix(c.cr(), &after);
        EXPECT_EQ(std::memcmp(&before, &after, sizeof after), 0) << op->className();
    }
}

TEST(InkOp, BaseBehaviourAndWrappers) {
    auto stroke = std::make_shared<StrokeOp>(line(0, 10, 100, 10), pen(), 1, 3);
    EXPECT_EQ(stroke->pace(), 3);
    PacedOp paced(stroke, 12);
    EXPECT_EQ(paced.pace(), 12);
    EXPECT_EQ(paced.cost(), stroke->cost());
    EXPECT_EQ(paced.bounds(), stroke->bounds());
    EXPECT_EQ(paced.ease(0.25), stroke->ease(0.25));

    // A rotation's bounds grow by a tenth of the height at the sides, a twentieth of the width above and below.
    auto fill = std::make_shared<FillOp>([] { Path p; p.addRect({0, 0, 100, 20}); return p; }(), Ink::ink);
    EXPECT_EQ(RotOp(fill, 5, 0, 0).bounds(), (Rect{-2, -5, 104, 30}));
    EXPECT_EQ(fill->cost(), 40);

    auto empty = std::make_shared<PhraseOp>(std::vector<PhraseOp::Run>{}, 20.0);
    EXPECT_TRUE(empty->bounds().isNull());
    EXPECT_TRUE(ShiftOp(empty, 3, 4).bounds().isNull());
    EXPECT_TRUE(RotOp(empty, 30, 0, 0).bounds().isNull());
    EXPECT_EQ(empty->ease(7), 1);
}

TEST(InkOp, OffsetsNeverNestAndKeepThePause) {
    auto fill = std::make_shared<FillOp>([] { Path p; p.addRect({0, 0, 10, 10}); return p; }(), Ink::ink);
    fill->pause = 0.32;
    InkOpRef once = fill->offset(3, 4);
    InkOpRef twice = once->offset(1, 1);
    auto shift = std::dynamic_pointer_cast<const ShiftOp>(twice);
    ASSERT_TRUE(shift);
    EXPECT_EQ(shift->inner, fill);
    EXPECT_EQ(shift->dx, 4);
    EXPECT_EQ(shift->dy, 5);
    EXPECT_EQ(twice->pause, 0.32);
    EXPECT_EQ(twice->bounds(), (Rect{4, 5, 10, 10}));
}

TEST(InkOp, PlacementComposesWrappersInnermostFirst) {
    auto fill = std::make_shared<FillOp>(Path(), Ink::ink);
    auto rot = std::make_shared<RotOp>(fill, 90, 10, 0);
    auto shifted = std::make_shared<ShiftOp>(rot, 5, 0);
    auto placed = shifted->placement();
    EXPECT_EQ(placed.base, fill);
    Point p = placed.transform.apply({10, 10});
    EXPECT_NEAR(p.x, 5, 1e-12);
    EXPECT_NEAR(p.y, 0, 1e-12);

    auto paced = std::make_shared<PacedOp>(std::make_shared<ShiftOp>(fill, 1, 2), 12);
    auto p2 = paced->placement();
    EXPECT_EQ(p2.base, fill);
    EXPECT_EQ(p2.transform, Affine::translation(1, 2));
    EXPECT_EQ(fill->placement().transform, Affine::identity());
}

TEST(Laid, ShiftedMovesOpsAndRoomsButNotTheHeight) {
    Laid laid;
    auto fill = std::make_shared<FillOp>([] { Path p; p.addRect({0, 0, 10, 10}); return p; }(), Ink::ink);
    auto nothing = std::make_shared<ShiftOp>(std::make_shared<PhraseOp>(std::vector<PhraseOp::Run>{}, 10.0), 0, 0);
    laid.ops = {fill, nothing};
    laid.height = 80;
    laid.rooms = {{0, 10, 300, 40}};
    Laid moved = laid.shifted(0, 50);
    EXPECT_EQ(moved.height, 80);
    EXPECT_EQ(moved.rooms[0], (Rect{0, 60, 300, 40}));
    EXPECT_EQ(moved.ops[0]->bounds(), (Rect{0, 50, 10, 10}));
    EXPECT_TRUE(moved.ops[1]->bounds().isNull());
    EXPECT_TRUE(Laid::empty().ops.empty());
    EXPECT_EQ(Laid::empty().height, 0);
}

TEST(InkOp, ThreadsDrawingTheSameOperationsAgree) {
    auto ops = everyLeaf();
    auto drawAll = [&] {
        std::vector<std::vector<uint8_t>> out;
        for (int i = 0; i < 20; ++i)
            for (const auto& op : ops) out.push_back(render(*op, 0.05 * (i + 1)));
        return out;
    };
    auto expected = drawAll();
    std::vector<std::vector<std::vector<uint8_t>>> results(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back([&, t] { results[t] = drawAll(); });
    for (auto& th : threads) th.join();
    for (const auto& r : results) EXPECT_TRUE(r == expected);
}

TEST(GlyphRun, EmptyTextHasNoInk) {
    auto font = handFont(20);
    GlyphRun empty("", *font);
    EXPECT_EQ(empty.width, 0);
    EXPECT_TRUE(empty.path.isEmpty());
    GlyphRun word("ink", *font);
    EXPECT_GT(word.width, 0);
    EXPECT_FALSE(word.path.isEmpty());
    EXPECT_EQ(word.text, "ink");
    EXPECT_NEAR(GlyphRun("ink", *font, 2).width, word.width + 6, 1e-9);
}

TEST(GlyphRun, RunsOfTheSameTextShareOneOutline) {
    auto font = handFont(20);
    GlyphRun word("ink", *font), again("ink", *font), kerned("ink", *font, 2);
    EXPECT_EQ(&word.path.path(), &again.path.path());
    EXPECT_NE(&word.path.path(), &kerned.path.path());
    EXPECT_EQ(word, again);
    EXPECT_FALSE(word == kerned);
    // Equal outlines compare equal wherever they are kept.
    GlyphRun copy = word;
    copy.path = GlyphOutline(Path(word.path));
    EXPECT_EQ(copy, word);
    copy.path = GlyphOutline(Path());
    EXPECT_FALSE(copy == word);
}

TEST(PhraseOp, StartsCountGapsButNotOverlaps) {
    PhraseOp gap({{runOfWidth(20), 0, 0, Ink::ink}, {runOfWidth(10), 25, 0, Ink::ink}}, 10.0);
    EXPECT_EQ(gap.starts(), (std::vector<double>{0, 25}));
    EXPECT_EQ(gap.travel, 35);
    PhraseOp overlap({{runOfWidth(20), 0, 0, Ink::ink}, {runOfWidth(10), 15, 0, Ink::ink}}, 10.0);
    EXPECT_EQ(overlap.starts(), (std::vector<double>{0, 20}));
    EXPECT_EQ(overlap.travel, 30);
    EXPECT_EQ(overlap.cost(), 1.2 * 30 + 2.5);
    EXPECT_EQ(overlap.bounds(), (Rect{-2, -11, 29, 15.5}));
    EXPECT_DOUBLE_EQ(overlap.ease(0.5), 0.5);
    EXPECT_DOUBLE_EQ(overlap.ease(0.25), 0.8 * 0.25 + 0.2 * 0.15625);
}

TEST(PhraseOp, TheFrontHasASoftEdgeAndNeverWipesOtherInk) {
    // Two square "words" on a page that already has ink around them.
    PhraseOp phrase({{runOfWidth(20), 10, 30, Ink::ink}, {runOfWidth(20), 40, 30, Ink::ink}}, 10.0);
    Canvas c(80, 40);
    Path under;
    under.addRect({0, 0, 80, 40});
    FillOp(under, Color::hex(0xe03131)).draw(c.cr(), 1);
    // reach = t · (travel + soft) = 0.4 · (50 + 8.5) = 23.4: the first word is partly written.
    phrase.draw(c.cr(), 0.4);
    EXPECT_EQ(c.pixel(12, 26), Ink::ink);           // well behind the front: full ink
    Color near = c.pixel(31, 26);                    // just behind the front: faded
    EXPECT_GT(near.r, Ink::ink.r + 0.1);
    EXPECT_EQ(c.pixel(45, 26), Color::hex(0xe03131));  // the second word has not started
    EXPECT_EQ(c.pixel(5, 5), Color::hex(0xe03131));    // the page around is untouched

    // Just above 0 only a faint sliver of the first run shows.
    Canvas sliver(80, 40);
    phrase.draw(sliver.cr(), 0.02);
    EXPECT_LT(sliver.pixel(10, 26).a, 0.5);
    EXPECT_EQ(sliver.pixel(15, 26).a, 0);
}

TEST(StrokeOp, EaseCostAndBounds) {
    StrokeOp one(line(0, 10, 100, 10), pen(2));
    EXPECT_EQ(one.bounds(), (Rect{-2, 8, 104, 4}));
    EXPECT_EQ(one.cost(), 100);
    EXPECT_DOUBLE_EQ(one.ease(0.5), 0.5);
    EXPECT_DOUBLE_EQ(one.ease(0.25), 0.184375);
    EXPECT_EQ(one.ease(-1), 0);
    EXPECT_EQ(one.ease(3), 1);
    EXPECT_EQ(StrokeOp(line(0, 0, 30, 40), pen(), 0).cost(), 50);
    EXPECT_EQ(StrokeOp(line(0, 0, 30, 40), pen(), 2).cost(), 25);

    Path seven;
    for (int i = 0; i < 7; ++i) {
        seven.moveTo(0, i);
        seven.lineTo(10, i);
    }
    StrokeOp many(seven, pen());
    EXPECT_EQ(many.lines().size(), 7u);
    EXPECT_EQ(many.ease(0.25), 0.25);

    StrokeOp nothing(Path(), pen());
    EXPECT_EQ(nothing.cost(), 0);
    EXPECT_TRUE(nothing.bounds().isNull());
}

TEST(StrokeOp, PartialRevealWalksThePolylinesInOrder) {
    Path two = line(0, 5, 10, 5);
    two.moveTo(0, 15);
    two.lineTo(30, 15);
    Pen flat = pen(2);
    flat.cap = LineCap::butt;
    StrokeOp op(two, flat);
    Canvas c(40, 20);
    op.draw(c.cr(), 0.5);  // 20 of 40: all of the first, 10 of the second
    EXPECT_GT(c.pixel(8, 5).a, 0.9);
    EXPECT_GT(c.pixel(8, 15).a, 0.9);
    EXPECT_EQ(c.pixel(11, 15).a, 0);
    EXPECT_EQ(c.pixel(25, 15).a, 0);
}

TEST(MonoOp, CellsSqueezeColourAndKeepTheirPlaces) {
    auto font = handFont(30);
    Color a = Color::hex(0x1971c2), b = Color::hex(0xe03131);
    MonoOp op("Wi.", 0, 30, *font, 10, {a, b});
    ASSERT_EQ(op.cells().size(), 3u);
    const auto& w = op.cells()[0];
    ASSERT_GT(w.glyphs.width, 9.8);
    EXPECT_DOUBLE_EQ(w.squeeze * w.glyphs.width, 9.8);
    EXPECT_EQ(op.cells()[0].color, a);
    EXPECT_EQ(op.cells()[1].color, b);
    EXPECT_EQ(op.cells()[2].color, b);  // the last colour repeats
    EXPECT_DOUBLE_EQ(op.cost(), 1.15 * 10 * 3 + 8);
    EXPECT_EQ(op.bounds(), (Rect{-6, -3, 42, 46.5}));

    MonoOp plain("x", 0, 30, *font, 10, {});
    EXPECT_EQ(plain.cells()[0].color, Ink::ink);
    MonoOp empty("", 0, 30, *font, 10, {});
    EXPECT_EQ(empty.cost(), 8);

    // A space has no ink but still takes its cell: "a b" puts b two cells along.
    MonoOp spaced(" b", 0, 30, *font, 20, {});
    Canvas c(60, 40);
    spaced.draw(c.cr(), 1);
    bool inkInFirstCell = false, inkInSecondCell = false;
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 40; ++y) {
            if (c.pixel(x, y).a == 0) continue;
            (x < 20 ? inkInFirstCell : inkInSecondCell) = true;
        }
    EXPECT_FALSE(inkInFirstCell);
    EXPECT_TRUE(inkInSecondCell);

    MonoOp copy = op;
    copy.tint(Ink::grey);
    for (const auto& cell : copy.cells()) EXPECT_EQ(cell.color, Ink::grey);
    EXPECT_EQ(op.cells()[0].color, a);
}

TEST(TextOp, CostBoundsAndHaloBehindTheLetters) {
    auto font = handFont(20);
    TextOp op("Hi", 10, 30, *font, Ink::ink, 0, Ink::paper);
    EXPECT_EQ(op.size, 20);
    EXPECT_DOUBLE_EQ(op.cost(), 1.25 * op.glyphs.width + 6);
    EXPECT_EQ(op.bounds(), (Rect{6, 8, op.glyphs.width + 8, 31}));
    // The halo widens the ink: more pixels are touched than without it.
    TextOp bare("Hi", 10, 30, *font, Ink::ink);
    auto count = [](const std::vector<uint8_t>& px) {
        size_t n = 0;
        for (size_t i = 3; i < px.size(); i += 4) n += px[i] != 0;
        return n;
    };
    EXPECT_GT(count(render(op, 1)), count(render(bare, 1)));
    // Half revealed: nothing right of the clip.
    Canvas c(120, 60);
    op.draw(c.cr(), 0.5);
    for (int y = 0; y < 60; ++y) EXPECT_EQ(c.pixel(static_cast<int>(10 + op.glyphs.width * 0.5 + 1), y).a, 0);
}

TEST(ImageOp, UncoversTheTopAndFadesIn) {
    auto red = solidImage(8, 8, Color::hex(0xff0000));
    ImageOp op(red, {0, 0, 20, 20});
    EXPECT_EQ(op.cost(), 1400);
    EXPECT_EQ(op.pace(), 0.8);
    EXPECT_EQ(op.bounds(), (Rect{0, 0, 20, 20}));
    Canvas c(20, 20);
    c.fill({1, 1, 1, 1});
    op.draw(c.cr(), 0.5);
    Color top = c.pixel(10, 4);
    EXPECT_NEAR(top.r, 1, 0.01);
    EXPECT_NEAR(top.g, 1 - 0.675, 0.01);  // multiply at alpha 0.35 + 0.65 · 0.5
    EXPECT_EQ(c.pixel(10, 15), (Color{1, 1, 1, 1}));
}

TEST(WetOp, AFaintWashInsideTheRect) {
    WetOp op({0, 0, 100, 60}, 3);
    EXPECT_EQ(op.cost(), 50);
    EXPECT_EQ(op.bounds(), (Rect{0, 0, 100, 60}));
    Canvas c(100, 60);
    op.draw(c.cr(), 1);
    EXPECT_NEAR(c.pixel(50, 30).a, 0.1, 0.005);
    EXPECT_EQ(c.pixel(3, 30).a, 0);  // inset by 6 horizontally
    Canvas half(100, 60);
    op.draw(half.cr(), 0.5);
    EXPECT_NEAR(half.pixel(50, 30).a, 0.05, 0.005);
    Canvas tiny(10, 10);
    WetOp({0, 0, 8, 2}, 1).draw(tiny.cr(), 1);  // too small to hold a wash
    EXPECT_EQ(cairo_status(tiny.cr()), CAIRO_STATUS_SUCCESS);
}
