#include "model/InkCache.h"

#include "ink/Ink.h"
#include "ink/Rng.h"
#include "ink/ops/InkStrokeOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/WrapOp.h"

#include <gtest/gtest.h>

using namespace nolby;

namespace {

const Geo kGeo{400, 869};
const Color kAccent = Ink::color(std::string("blue"), Ink::ink);

TextItem noteAt(double x, double y, std::string text, std::string color = "learner") {
    TextItem t;
    t.x = x;
    t.y = y;
    t.width = 300;
    t.text = std::move(text);
    t.color = std::move(color);
    t.size = 17;
    return t;
}

BlockItem blockOf(std::string json, double y, std::optional<double> h = std::nullopt) {
    BlockItem b;
    b.json = std::move(json);
    b.y = y;
    b.h = h;
    b.seed = 42;
    return b;
}

// How many entries a fresh layout would make: counted by giving every build a new cache.
size_t opCount(const PageItem& item) { return InkCache::build(item, kGeo, kAccent).size(); }

}  // namespace

TEST(InkCache, UnchangedItemIsReturnedAsStored) {
    InkCache cache;
    PageItem item(noteAt(28, 100, "hello there"));
    const InkCache::Entry& first = cache.entry(item, kGeo, kAccent);
    const InkOpRef op = first.ops.at(0);
    const InkCache::Entry& again = cache.entry(item, kGeo, kAccent);
    EXPECT_EQ(again.ops.at(0), op);  // the very same operation: nothing laid out again
    EXPECT_EQ(again.key, item.contentHash());
    EXPECT_EQ(again.shape, item.shapeHash());
}

TEST(InkCache, VerticalMoveReusesTheOperationsOffset) {
    InkCache cache;
    BlockItem b = blockOf(R"({"t":"p","text":"Fractions are parts of a whole."})", 200);
    const InkCache::Entry before = cache.entry(PageItem(b), kGeo, kAccent);
    ASSERT_FALSE(before.ops.empty());

    PageItem pushed = PageItem(b).shifted(120, 0);
    const InkCache::Entry& after = cache.entry(pushed, kGeo, kAccent);
    ASSERT_EQ(after.ops.size(), before.ops.size());
    for (size_t i = 0; i < after.ops.size(); ++i) {
        // Each new operation is a shift of the old one (shifts of shifts add up, never nest).
        InkOp::Placement was = before.ops[i]->placement(), now = after.ops[i]->placement();
        EXPECT_EQ(now.base, was.base);
        EXPECT_DOUBLE_EQ(now.transform.ty - was.transform.ty, 120);
    }
    EXPECT_EQ(after.bounds, before.bounds.offsetBy(0, 120));
    EXPECT_EQ(after.top, 320);
    EXPECT_EQ(after.key, pushed.contentHash());
}

TEST(InkCache, SidewaysMoveOrOtherContentIsLaidOutAgain) {
    TextItem base = noteAt(28, 100, "hello there");
    TextItem sideways = base, text = base, color = base, size = base;
    sideways.x = 40;
    text.text = "hello you";
    color.color = "red";
    size.size = 20;
    for (const TextItem& changed : {sideways, text, color, size}) {
        InkCache cache;
        const InkOpRef first = cache.entry(PageItem(base), kGeo, kAccent).ops.back();
        const InkCache::Entry& e = cache.entry(PageItem(changed), kGeo, kAccent);
        EXPECT_NE(e.ops.back()->placement().base, first->placement().base);
        EXPECT_EQ(e.key, PageItem(changed).contentHash());
    }
}

TEST(InkCache, PrimedOperationsAreUsedUntilTheItemChanges) {
    InkCache cache;
    BlockItem b = blockOf(R"({"t":"p","text":"x"})", 300);
    Path p;
    p.addRect({30, 300, 50, 20});
    InkOpRef primed = std::make_shared<StrokeOp>(p, Pen::usual(Ink::ink, 1));
    cache.prime(PageItem(b), {primed}, kGeo);
    const InkCache::Entry& e = cache.entry(PageItem(b), kGeo, kAccent);
    ASSERT_EQ(e.ops.size(), 1u);
    EXPECT_EQ(e.ops[0], primed);
    EXPECT_EQ(e.bounds, primed->bounds());
}

TEST(InkCache, BlockBoundsCoverTheTextColumnForItsHeight) {
    // A tiny primed mark inside a block 40 high still gives the full column.
    BlockItem b = blockOf(R"({"t":"sketch"})", 500, 40);
    Path p;
    p.addRect({100, 505, 4, 4});
    std::vector<InkOpRef> ops{std::make_shared<StrokeOp>(p, Pen::usual(Ink::ink, 1))};
    EXPECT_EQ(InkCache::bounds(PageItem(b), ops, kGeo), (Rect{24, 500, 352, 40}));
    // Without a height (or with 0) only the ink counts.
    b.h = 0;
    EXPECT_EQ(InkCache::bounds(PageItem(b), ops, kGeo), ops[0]->bounds());
}

TEST(InkCache, BlocksWithoutInk) {
    struct Case {
        const char* json;
        std::optional<Rect> box;
        std::optional<double> h;
        bool ink;
    };
    const Case cases[] = {
        {R"({"t":"mark","kind":"tick"})", std::nullopt, std::nullopt, false},  // a mark without its box
        {R"({"t":"hole","r":[[0,0,30,10]]})", std::nullopt, std::nullopt, false},
        {R"([1,2,3])", std::nullopt, std::nullopt, false},  // not an object: no kind
        {R"({"t":"no such kind"})", std::nullopt, std::nullopt, false},
        {R"(not json)", std::nullopt, std::nullopt, false},
        {R"({"t":"mark","kind":"tick"})", Rect{100, 100, 80, 20}, std::nullopt, true},
        {R"({"t":"hole","r":[[0,0,30,10]]})", Rect{100, 100, 80, 20}, std::nullopt, true},
    };
    for (const Case& c : cases) {
        BlockItem b = blockOf(c.json, 100, c.h);
        b.box = c.box;
        InkCache cache;
        const InkCache::Entry& e = cache.entry(PageItem(b), kGeo, kAccent);
        EXPECT_EQ(!e.ops.empty(), c.ink) << c.json;
        EXPECT_EQ(!e.bounds.isNull(), c.ink) << c.json;
    }
}

TEST(InkCache, LearnerInkAndUnknownColoursDrawInTheLearnersInk) {
    for (const char* name : {"learner", "no-such-colour", ""}) {
        EXPECT_EQ(InkCache::learnerColor(name), Ink::learner) << name;
        StrokeItem s{{10, 10, 0.5f, 40, 40, 0.5f, 80, 20, 0.5f}, name, 2, "pen"};
        auto ops = InkCache::build(PageItem(s), kGeo, kAccent);
        ASSERT_EQ(ops.size(), 1u);
        EXPECT_EQ(dynamic_cast<const InkStrokeOp&>(*ops[0]).color, Color::hex(0x2a4b9b));
        auto written = InkCache::build(PageItem(noteAt(28, 100, "hi", name)), kGeo, kAccent);
        const auto& phrase = dynamic_cast<const PhraseOp&>(*written.at(0));
        EXPECT_EQ(phrase.runs.at(0).color, Color::hex(0x2a4b9b)) << name;
    }
    EXPECT_EQ(InkCache::learnerColor("red"), Ink::color(std::string("red"), Ink::ink));
}

TEST(InkCache, TheIdSeedsTheHandwriting) {
    TextItem a = noteAt(28, 100, "the same words"), b = a;
    b.id = Uuid::random();
    auto first = InkCache::build(PageItem(a), kGeo, kAccent), second = InkCache::build(PageItem(b), kGeo, kAccent);
    auto again = InkCache::build(PageItem(a), kGeo, kAccent);
    ASSERT_EQ(first.size(), again.size());
    EXPECT_EQ(first[0]->bounds(), again[0]->bounds());
    EXPECT_NE(first[0]->bounds(), second[0]->bounds());
}

TEST(InkCache, RingAroundTheWordsOfAMarginNote) {
    const Uuid id = *Uuid::parse("11111111-2222-4333-8444-555555555555");
    const uint64_t seed = stableHash(id.string());
    InkCache::Ring ring = InkCache::ring({100, 200, 60, 20}, seed, Ink::learner);
    EXPECT_EQ(ring.steps, 11);
    EXPECT_NEAR(ring.rx, 34.4616, 5e-5);
    EXPECT_NEAR(ring.ry, 13.0889, 5e-5);
    EXPECT_NEAR(ring.overlap, 0.09937, 5e-6);
    ASSERT_TRUE(ring.op);
    const auto& stroke = dynamic_cast<const StrokeOp&>(*ring.op);
    EXPECT_EQ(stroke.pen, Pen::usual(Ink::learner, 1.7));
    EXPECT_DOUBLE_EQ(stroke.pace(), 2.2);
    // Around the anchor's centre, about its radii out.
    Rect b = stroke.bounds();
    EXPECT_NEAR(b.midX(), 130, 3);
    EXPECT_NEAR(b.midY(), 210, 3);
    EXPECT_NEAR(b.width(), 2 * 34.46 + 1.7, 4);

    // The note draws the ring first, then its words.
    TextItem t = noteAt(38, 240, "what does it mean?");
    t.id = id;
    t.anchor = Rect{100, 200, 60, 20};
    t.about = "halves";
    auto ops = InkCache::build(PageItem(t), kGeo, kAccent);
    ASSERT_GE(ops.size(), 2u);
    EXPECT_EQ(ops[0]->bounds(), ring.op->bounds());
    EXPECT_EQ(opCount(PageItem(t)), ops.size());
    EXPECT_FALSE(InkCache::ring({0, 0, std::numeric_limits<double>::infinity(), 1}, seed, Ink::learner).op);
}
