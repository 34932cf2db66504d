// Strokes revealed on the page stage: which reveal each kind of operation gets, when reveals
// are built and settled, writing a page at once, and what the reveal shows on the page at
// chosen moments.
#include "StageTestSupport.h"

#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/ImageOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "ink/ops/WrapOp.h"
#include "writing/InkStageParts.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::testing;

namespace {

InkOpRef line(double x0, double x1, double y, Pen pen = Pen::usual(Color{0, 0, 0, 1}, 4)) {
    Path p;
    p.moveTo(x0, y);
    p.lineTo(x1, y);
    return std::make_shared<StrokeOp>(p, pen);
}

InkOpRef box(Rect r, BlendMode blend = BlendMode::normal) {
    Path p;
    p.addRect(r);
    return std::make_shared<FillOp>(p, Color{0.1, 0.3, 0.8, 1}, blend);
}

std::shared_ptr<const TextOp> words(const std::string& text, double x, double y, double size) {
    return std::make_shared<TextOp>(text, x, y, *Faces::font(Faces::Face::hand, size), Color{0, 0, 0, 1});
}

// Something with a place on the page that no bitmap can hold.
class Huge final : public InkOp {
public:
    Rect bounds() const override { return {0, 0, 5000, 40}; }
    void draw(cairo_t* cr, double t) const override {
        if (!(t > 0)) return;
        cairo_rectangle(cr, 10, 10, 100, 20);
        cairo_fill(cr);
    }
};

using tools::samplePainting;

struct Reveals : ::testing::Test {
    StageDesk d;
    Uuid item = Uuid::random();
    int job = 1;

    Scribe::Stroke stroke(InkOpRef op, double start, double dur) {
        Scribe::Stroke s;
        s.job = job;
        s.page = d.page();
        s.item = item;
        s.index = 0;
        s.op = std::move(op);
        s.start = start;
        s.dur = dur;
        return s;
    }
    const InkStageView::Reveal& only() {
        EXPECT_EQ(d.stage().revealing().size(), 1u);
        return d.stage().revealing().front();
    }
};

TEST_F(Reveals, StrokesAreBuiltWithinOneAndAHalfSecondsOfTheirStart) {
    d.stage().add({stroke(box({0, 0, 10, 10}), 101.6, 0.1), stroke(box({0, 0, 10, 10}), 101.4, 0.1),
                   stroke(box({0, 0, 10, 10}), 101.5, 0.1)});
    d.stage().advance(100);
    ASSERT_EQ(d.stage().revealing().size(), 1u);
    EXPECT_EQ(d.stage().revealing()[0].stroke.start, 101.4);
    ASSERT_EQ(d.stage().upcoming().size(), 2u);
    EXPECT_EQ(d.stage().upcoming()[0].start, 101.5);
    EXPECT_EQ(d.stage().upcoming()[1].start, 101.6);
}

TEST_F(Reveals, RevealsAreSettledFiveHundredthsAfterTheyEnd) {
    d.stage().add({stroke(line(0, 50, 10), 99.9, 0.06), stroke(line(0, 50, 20), 99.9, 0.04)});
    d.stage().advance(100);
    ASSERT_EQ(d.stage().revealing().size(), 1u);
    const auto& kept = d.stage().revealing()[0];
    EXPECT_NEAR(kept.until, 99.96, 1e-9);
    EXPECT_TRUE(kept.layer->animation("reveal"));
    // The settled one shows its final state with nothing animating it.
    const auto& c = d.entry(item).layer->sublayers();
    ASSERT_EQ(c.size(), 2u);
    EXPECT_TRUE(c[1]->animationKeys().empty());
}

TEST_F(Reveals, StrokesWithEqualStartsAreBuiltInTheOrderAdded) {
    auto a = box({0, 0, 10, 10}), b = box({20, 0, 10, 10});
    d.stage().add({stroke(a, 100.2, 0.1)});
    d.stage().add({stroke(b, 100.2, 0.1)});
    d.stage().advance(100);
    ASSERT_EQ(d.stage().revealing().size(), 2u);
    EXPECT_EQ(d.stage().revealing()[0].stroke.op, a);
    EXPECT_EQ(d.stage().revealing()[1].stroke.op, b);
}

// Which reveal each kind gets: the property animated, how long, and when it ends.
TEST_F(Reveals, EachKindHasItsReveal) {
    auto text = words("ink", 50, 100, 20);
    auto sprite = InkRaster::render({text}, 2);
    ASSERT_TRUE(sprite);
    struct Case {
        const char* name;
        InkOpRef op;
        std::optional<InkRaster::Raster> sprite;
        double dur;
        double until;        // after start
        bool masked;         // revealed by a moving gradient mask
        double fadeLength;   // of an opacity "reveal" on the layer itself; 0: none
    } cases[] = {
        {"fill", box({0, 0, 10, 10}), std::nullopt, 0.1, 0.24, false, 0.24},
        {"text", text, sprite, 0.5, 0.5, true, 0},
        {"turned text", std::make_shared<RotOp>(text, 10, 50, 100), std::nullopt, 0.1, 0.2, false, 0.2},
        {"phrase without runs", std::make_shared<PhraseOp>(std::vector<PhraseOp::Run>{}, 20.0), sprite, 0.1, 0.2,
         false, 0.2},
        {"image", std::make_shared<ImageOp>(samplePainting(60, 40), Rect{20, 20, 60, 40}), std::nullopt, 1, 1, true, 1},
        {"turned image",
         std::make_shared<RotOp>(std::make_shared<ImageOp>(samplePainting(60, 40), Rect{20, 20, 60, 40}), 5, 50, 40),
         std::nullopt, 0.5, 0.5, false, 0.5},
    };
    for (const Case& c : cases) {
        Layer container;
        Scribe::Stroke s = stroke(c.op, 10, c.dur);
        s.sprite = c.sprite;
        auto built = stage::build(s, container, 2);
        ASSERT_TRUE(built) << c.name;
        EXPECT_DOUBLE_EQ(built->until, 10 + c.until) << c.name;
        EXPECT_EQ(bool(built->layer->mask), c.masked) << c.name;
        auto reveal = built->layer->animation("reveal");
        if (c.fadeLength > 0) {
            ASSERT_TRUE(reveal) << c.name;
            EXPECT_TRUE(reveal->animates(KeyPath::opacity)) << c.name;
            EXPECT_DOUBLE_EQ(reveal->duration, c.fadeLength) << c.name;
            EXPECT_EQ(*reveal->beginTime, 10) << c.name;
            EXPECT_EQ(reveal->fillMode, FillMode::both) << c.name;
            EXPECT_FALSE(reveal->removedOnCompletion) << c.name;
            EXPECT_EQ(reveal->preferredFrameRateRange, InkStageView::rate) << c.name;
        }
        if (c.masked) {
            EXPECT_TRUE(built->layer->mask->animation("reveal")) << c.name;
        }
    }
}

TEST_F(Reveals, APathIsDrawnAlongItsLengthWithItsPen) {
    Pen pen = Pen::usual(Color{0.8, 0.1, 0.1, 1}, 3);
    pen.dash = std::vector<double>{6, 3};
    pen.blend = BlendMode::multiply;
    pen.cap = LineCap::square;
    Layer container;
    auto built = stage::build(stroke(line(10, 110, 50, pen), 5, 0.8), container, 2);
    ASSERT_TRUE(built);
    auto shape = std::dynamic_pointer_cast<ShapeLayer>(built->layer);
    ASSERT_TRUE(shape);
    EXPECT_EQ(shape->lineDashPattern, (std::vector<double>{6, 3}));
    EXPECT_EQ(shape->compositingFilter, BlendMode::multiply);
    EXPECT_EQ(shape->lineCap, LineCap::square);
    EXPECT_FALSE(shape->fillColor);
    EXPECT_EQ(shape->frame(), (Rect{4, 44, 112, 12}));  // the line's box grown by width + 3
    auto reveal = std::dynamic_pointer_cast<const KeyframeAnimation>(shape->animation("reveal"));
    ASSERT_TRUE(reveal);
    EXPECT_EQ(reveal->keyPath, KeyPath::strokeEnd);
    ASSERT_EQ(reveal->values.size(), 13u);
    // A plain line's ease: 18.4 % of its length a quarter through its time.
    EXPECT_DOUBLE_EQ(std::get<double>(reveal->values[3]), 0.184375);
    EXPECT_DOUBLE_EQ(built->until, 5.8);
}

TEST(StageParts, TextWipesASoftBandAcrossItsBitmap) {
    // x 10 and 25 points of text in a bitmap from 9, 27 wide, soft edge 4.25.
    std::array<double, 13> s{};
    for (int i = 0; i < 13; ++i) s[size_t(i)] = i / 12.0;
    const stage::Wipe w = stage::across(10, 25, 4.25, {9, 0, 27, 30}, s);
    ASSERT_EQ(w.starts.size(), 13u);
    EXPECT_NEAR(w.starts.front().x, -0.1204, 1e-4);
    EXPECT_NEAR(w.ends.front().x, 0.0370, 1e-4);
    EXPECT_NEAR(w.starts.back().x, 0.9630, 1e-4);
    EXPECT_NEAR(w.ends.back().x, 1.1204, 1e-4);
    for (const Point& p : w.starts) EXPECT_EQ(p.y, 0.5);
}

TEST(StageParts, TheSweepOfTextLikeOperations) {
    auto text = words("sweep", 30, 60, 20);
    auto sw = stage::sweep(*text);
    ASSERT_TRUE(sw);
    EXPECT_EQ(sw->x, 30);
    EXPECT_EQ(sw->width, text->glyphs.width);
    EXPECT_EQ(sw->soft, 17);
    EXPECT_FALSE(stage::sweep(PhraseOp({}, 20)));
    EXPECT_FALSE(stage::sweep(*box({0, 0, 5, 5})));
}

TEST_F(Reveals, ATextWipeFollowsItsBitmapFrame) {
    auto text = words("handwriting", 50, 100, 20);
    Layer container;
    auto built = stage::build(stroke(std::make_shared<ShiftOp>(text, 7, 0), 10, 1), container, 2);
    ASSERT_TRUE(built);
    const Rect f = built->layer->frame();
    auto mask = std::dynamic_pointer_cast<GradientLayer>(built->layer->mask);
    ASSERT_TRUE(mask);
    const double X = 57, W = text->glyphs.width, soft = 17;
    EXPECT_NEAR(mask->startPoint.x, (X + W - f.x) / f.w, 1e-9);  // the model value: revealed
    EXPECT_NEAR(mask->endPoint.x, (X + W + soft - f.x) / f.w, 1e-9);
    EXPECT_NEAR(mask->presentedPoint(KeyPath::startPoint, 9).x, (X - soft - f.x) / f.w, 1e-9);
}

TEST_F(Reveals, InkTooLargeForABitmapIsRevealedAsVectors) {
    Layer container;
    auto built = stage::build(stroke(std::make_shared<Huge>(), 3, 0.1), container, 2);
    ASSERT_TRUE(built);
    EXPECT_FALSE(built->layer->contents);
    EXPECT_EQ(built->layer->frame(), (Rect{0, 0, 5000, 40}));
    EXPECT_TRUE(built->layer->animation("reveal")->animates(KeyPath::opacity));
    EXPECT_DOUBLE_EQ(built->until, 3.2);
    // Nothing on the page at all: nothing to build.
    EXPECT_FALSE(stage::build(stroke(std::make_shared<PhraseOp>(std::vector<PhraseOp::Run>{}, 20.0), 3, 0.1),
                              container, 2));
}

TEST_F(Reveals, WritingAtOnceShowsEverythingWhole) {
    d.clock->set(100);
    auto half = box({0, 0, 10, 10}), due = box({20, 0, 10, 10}), later = box({40, 0, 10, 10}),
         given = box({60, 0, 10, 10});
    d.stage().add({stroke(half, 99.9, 0.2), stroke(due, 101, 0.2), stroke(later, 103, 0.2)});
    d.stage().advance(100);
    ASSERT_EQ(d.stage().revealing().size(), 2u);
    ASSERT_EQ(d.stage().upcoming().size(), 1u);
    const LayerRef halfLayer = d.stage().revealing()[0].layer, dueLayer = d.stage().revealing()[1].layer;
    d.stage().finishAll({stroke(given, 100, 0)});
    EXPECT_TRUE(d.stage().revealing().empty());
    EXPECT_TRUE(d.stage().upcoming().empty());
    EXPECT_TRUE(halfLayer->animationKeys().empty());  // begun: shown whole, no fade
    EXPECT_EQ(dueLayer->animationKeys(), std::vector<std::string>{"finish"});
    const auto& layers = d.entry(item).layer->sublayers();
    ASSERT_EQ(layers.size(), 4u);
    for (size_t i = 1; i < 4; ++i) {
        auto fade = std::dynamic_pointer_cast<const BasicAnimation>(layers[i]->animation("finish"));
        ASSERT_TRUE(fade);
        EXPECT_EQ(fade->duration, 0.35);
        EXPECT_EQ(*fade->beginTime, 100);
        EXPECT_TRUE(fade->removedOnCompletion);
        EXPECT_EQ(layers[i]->animationKeys().size(), 1u);
    }
    EXPECT_EQ(d.stage().layer()->sublayers()[0]->sublayers()[0]->sublayers()[0]->presentedNumber(KeyPath::opacity, 100.5),
              1);
}

TEST_F(Reveals, RevealsOutlastingTheWriterAreSettledByTheStage) {
    // A fill fades over 0.24 s but is written in 0.016: the writer is done long before.
    const PageItem it = d.put(note(200));
    d.writer().enqueue(d.page(), it.id(), {box({10, 10, 20, 20})}, 0, false);
    d.run(0.4);
    EXPECT_FALSE(d.writer().busy.get());
    EXPECT_FALSE(d.writer().ticking());
    EXPECT_TRUE(d.stage().revealing().empty());
    for (const LayerRef& l : d.entry(it.id()).layer->sublayers()) EXPECT_TRUE(l->animationKeys().empty());
    EXPECT_FALSE(d.stage().animating(d.clock->now()));
}

// ---- Wet paint and paintings

TEST(StageParts, DropsTakeTheirColoursFromTheSeed) {
    const uint32_t colours[6] = {0x2f6bd9, 0xd83a4f, 0xe3a33b, 0x3e9e5a, 0x7a4fc9, 0x22a6c7};
    const int seed0[7] = {0, 1, 2, 3, 4, 5, 0};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(stage::dropIndex(0, i), seed0[i]);
        EXPECT_EQ(stage::dropColor(stage::dropIndex(0, i)), Color::hex(colours[seed0[i]]));
    }
    EXPECT_EQ(stage::dropColor(stage::dropIndex(7, 0)), Color::hex(0xd83a4f));
    // Unsigned: a seed beyond the signed range still counts from its own remainder.
    EXPECT_EQ(stage::dropIndex(~uint64_t(0), 0), int(~uint64_t(0) % 6));
}

TEST(StageParts, DropsAreSizedAndPlacedFromTheSeed) {
    auto drops = [](uint64_t seed) {
        Layer wet;
        wet.setFrame({0, 0, 300, 100});
        stage::drops(wet, seed, 10);
        return wet.sublayers();
    };
    auto a = drops(42), b = drops(42);
    ASSERT_EQ(a.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(a[i]->frame(), b[i]->frame());
        const double r = a[i]->frame().w / 2;
        EXPECT_GE(r, 24);
        EXPECT_LE(r, 46);
        EXPECT_EQ(a[i]->opacity, 0);
        EXPECT_EQ(a[i]->compositingFilter, BlendMode::multiply);
        auto bloom = a[i]->animation("drop");
        ASSERT_TRUE(bloom);
        EXPECT_NEAR(*bloom->beginTime, 10.3 + 0.6 * double(i), 1e-12);
        EXPECT_EQ(bloom->duration, 4.2);
        EXPECT_EQ(bloom->repeatCount, 36);
    }
    EXPECT_NE(drops(43)[0]->frame(), a[0]->frame());
}

TEST_F(Reveals, APlaceholderIsWetThenDryingThenGone) {
    d.clock->set(10);
    const WetOp wetOp({24, 200, 352, 160}, 9);
    auto placeholder = std::make_shared<WetOp>(wetOp);
    d.stage().add({stroke(placeholder, 10.1, 0.2)});
    d.stage().advance(10);
    const LayerRef c = d.entry(item).layer;
    ASSERT_EQ(c->sublayers().size(), 1u);
    const LayerRef wet = c->sublayers()[0];
    EXPECT_EQ(wet->name, "wet");
    EXPECT_EQ(wet->frame(), (Rect{30, 202, 340, 156}));
    EXPECT_EQ(wet->cornerRadius, 18);
    EXPECT_EQ(wet->sublayers().size(), 7u);
    EXPECT_DOUBLE_EQ(only().until, 10.7);
    d.run(1);
    EXPECT_TRUE(d.stage().revealing().empty());
    EXPECT_TRUE(wet->animationKeys().empty());  // settled; its drops bloom on
    EXPECT_TRUE(wet->sublayers()[0]->animation("drop"));

    // The painting comes: the placeholder dries off under it, and is gone once it settles.
    auto art = samplePainting(300, 140);
    auto image = std::make_shared<ImageOp>(art, Rect{24, 200, 352, 160});
    auto sprite = InkRaster::render({image}, 2);
    auto bloom = Bloom::make(*sprite->image, 7919);
    ASSERT_TRUE(bloom);
    Scribe::Stroke s = stroke(image, d.clock->now() + 0.3, 4);
    s.sprite = sprite;
    s.bloom = std::make_shared<const Bloom>(*bloom);
    ++job;
    d.stage().add({s});
    d.stage().advance(d.clock->now());
    EXPECT_EQ(wet->name, "drying");
    auto dry = wet->animation("dry");
    ASSERT_TRUE(dry);
    EXPECT_NEAR(*dry->beginTime, s.start + 0.4, 1e-9);
    EXPECT_NEAR(dry->duration, 1.6, 1e-9);
    const LayerRef paint = c->sublayers().back();
    EXPECT_TRUE(paint->marked("painting"));
    ASSERT_EQ(paint->sublayers().size(), 3u);
    EXPECT_EQ(paint->sublayers()[0]->name, "colour");
    EXPECT_EQ(paint->sublayers()[1]->name, "rim");
    EXPECT_EQ(paint->sublayers()[2]->name, "lines");
    EXPECT_EQ(paint->sublayers()[1]->opacity, 0.55);
    EXPECT_NEAR(*paint->sublayers()[0]->mask->animation("flow")->beginTime, s.start + 0.64, 1e-9);
    EXPECT_NEAR(*paint->sublayers()[2]->animation("fade")->beginTime, s.start + 3.44, 1e-9);
    d.run(5);  // no writer drives this one: the stage settles it at its time
    ASSERT_EQ(c->sublayers().size(), 1u);
    EXPECT_EQ(c->sublayers()[0], paint);
    ASSERT_EQ(paint->sublayers().size(), 1u);
    EXPECT_EQ(paint->sublayers()[0]->name, "colour");
    EXPECT_FALSE(paint->sublayers()[0]->mask);
    EXPECT_TRUE(paint->sublayers()[0]->animationKeys().empty());
    EXPECT_FALSE(d.stage().animating(d.clock->now()));
}

TEST_F(Reveals, APaintingWrittenAtOnceReplacesItsPlaceholder) {
    d.clock->set(10);
    d.stage().add({stroke(std::make_shared<WetOp>(Rect{24, 200, 352, 160}, 3), 10.1, 0.2)});
    d.stage().advance(10);
    d.run(1);
    const LayerRef c = d.entry(item).layer;
    // The rest of the page at once: the painting comes without its bloom.
    auto image = std::make_shared<ImageOp>(samplePainting(300, 140), Rect{24, 200, 352, 160});
    Scribe::Stroke s = stroke(image, d.clock->now(), 0);
    ++job;
    d.stage().finishAll({s});
    ASSERT_EQ(c->sublayers().size(), 1u);
    EXPECT_EQ(c->sublayers()[0]->compositingFilter, BlendMode::multiply);
    EXPECT_EQ(c->sublayers()[0]->animationKeys(), std::vector<std::string>{"finish"});
}

// ---- On the page

TEST_F(Reveals, AStrokeAQuarterThroughShowsItsEasedLength) {
    d.stage().add({stroke(line(50, 250, 100), 1, 2)});
    d.stage().advance(0);
    auto frame = d.frame(1.5);
    // 18.4375 % of 200 points, plus the round cap's 2 points.
    EXPECT_NEAR(rightmostInk(*frame, 190, 210) / 2.0, 50 + 0.184375 * 200 + 2, 0.75);
    EXPECT_EQ(rightmostInk(*d.frame(0.9), 190, 210), -1);
    EXPECT_NEAR(rightmostInk(*d.frame(3.5), 190, 210) / 2.0, 252, 0.75);
}

TEST_F(Reveals, ATextWipeShowsOnlyItsLeftPart) {
    auto text = words("wiped in", 50, 100, 30);
    d.stage().add({stroke(text, 1, 2)});
    d.stage().advance(0);
    auto frame = d.frame(2);
    // Half way the front stands half way along text and soft edge: nothing beyond it.
    const double front = 50 + (text->glyphs.width + 25.5) * 0.5;
    const int right = rightmostInk(*frame, 140, 220);
    EXPECT_GT(right / 2.0, 60);
    EXPECT_LE(right / 2.0, front);
    EXPECT_LT(right / 2.0, 50 + text->glyphs.width - 10);
    EXPECT_GT(rightmostInk(*d.frame(3.1), 140, 220) / 2.0, 50 + text->glyphs.width - 10);
}

TEST_F(Reveals, APaintingFloodsIn) {
    auto image = std::make_shared<ImageOp>(samplePainting(300, 140), Rect{24, 200, 352, 160});
    Scribe::Stroke s = stroke(image, 1, 4);
    s.sprite = InkRaster::render({image}, 2);
    s.bloom = std::make_shared<const Bloom>(*Bloom::make(*s.sprite->image, 7919));
    d.stage().add({s});
    d.stage().advance(0);
    int last = 0;
    std::vector<int> counts;
    for (double t : {1.2, 2.0, 3.0, 4.0, 5.1}) {
        const int n = inkCount(*d.frame(t));
        counts.push_back(n);
        EXPECT_GE(n, last) << t;
        last = n;
    }
    EXPECT_LT(counts[0], counts[4] / 4);
    EXPECT_GT(counts[2], counts[0]);
    // Once settled it is the painting itself.
    d.run(5.2);
    Canvas whole(400, 869, 2);
    whole.fill(Ink::paper);
    image->draw(whole.cr(), 1);
    EXPECT_NEAR(inkCount(*d.frame(6)), inkCount(whole), inkCount(whole) / 100);
}

}  // namespace
