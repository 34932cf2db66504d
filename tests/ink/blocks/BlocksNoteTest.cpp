// Sticky notes and asides: colours, the sheet's place and tilt, the tape, the text column.
#include "BlocksTestSupport.h"
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/Rng.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/FillOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/WrapOp.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace nolby;
using namespace nolby::testing;

namespace {

const RotOp& rot(const InkOpRef& op) {
    auto r = dynamic_cast<const RotOp*>(op.get());
    EXPECT_NE(r, nullptr) << op->className();
    return *r;
}

const FillOp& fillIn(const InkOpRef& op) {
    auto f = dynamic_cast<const FillOp*>(op.get());
    EXPECT_NE(f, nullptr) << op->className();
    return *f;
}

// The sheet a note of text height th draws for this seed, at left edge x0.
Path sheetFor(uint64_t seed, double x0, double c, double th) {
    Rng rng(seed + 9);
    double r[8];
    for (double& v : r) v = rng.unit();
    Path p;
    p.moveTo(x0 + 2 * r[0], 10 + 2 * r[1]);
    p.lineTo(x0 + c + 2 * r[2], 10 + 2 * r[3]);
    p.lineTo(x0 + c - 2 * r[4], th + 42 + 2 * r[5]);
    p.lineTo(x0 + 2 * r[6], th + 42 - 1.5 * r[7]);
    p.close();
    return p;
}

}  // namespace

TEST(BlocksNote, StickyColoursMatchAfterLowercasing) {
    struct Case {
        const char* name;
        uint32_t rgb;
    };
    const Case cases[] = {
        {"pink", 0xffd3e2},   {"Red", 0xffd3e2},    {"BLUE", 0xcde8ff},  {"teal", 0xcde8ff},
        {"green", 0xd5f5d2},  {"orange", 0xffe2bf}, {"violet", 0xe6dcff}, {"Purple", 0xe6dcff},
        {"yellow", 0xfff1a6}, {"grey", 0xfff1a6},   {"", 0xfff1a6},       {" red", 0xfff1a6},
    };
    for (const Case& c : cases) EXPECT_EQ(Blocks::stickyColor(c.name), Color::hex(c.rgb)) << c.name;

    // The sheet is the note's second operation; "c" picks its colour, yellow by default.
    auto sheetColor = [](const char* json) { return fillIn(rot(page().lay(obj(json), 4).ops.at(1)).inner).color; };
    EXPECT_EQ(sheetColor(R"({"t":"note","c":"Red"})"), Color::hex(0xffd3e2));
    EXPECT_EQ(sheetColor(R"({"t":"note"})"), Color::hex(0xfff1a6));
}

TEST(BlocksNote, EmptyNoteStillDrawsShadowSheetAndTape) {
    Laid laid = page().lay(obj(R"({"t":"note"})"), 2);
    const double th = 20.15;
    EXPECT_DOUBLE_EQ(laid.height, 72.15);
    EXPECT_TRUE(laid.rooms.empty());
    ASSERT_EQ(laid.ops.size(), 3u);

    const double c = 0.8 * 352, x0 = 24 + (352 - c) / 2 + 10;
    const Path sheet = sheetFor(2, x0, c, th);
    const FillOp& shadow = fillIn(rot(laid.ops[0]).inner);
    EXPECT_EQ(shadow.path, sheet.transformed(Affine::translation(1.5, 2.5)));
    EXPECT_EQ(shadow.color, (Color{0, 0, 0, 0.06}));
    EXPECT_EQ(shadow.blend, BlendMode::normal);
    EXPECT_FALSE(shadow.evenOdd);
    EXPECT_EQ(fillIn(rot(laid.ops[1]).inner).path, sheet);

    // The tape leans -4 degrees about its own middle, inside the note's tilt.
    const RotOp& tape = rot(rot(laid.ops[2]).inner);
    EXPECT_EQ(tape.deg, -4);
    EXPECT_EQ(tape.px, x0 + c / 2);
    EXPECT_EQ(tape.py, 10);
    const FillOp& strip = fillIn(tape.inner);
    EXPECT_EQ(strip.bounds(), (Rect{x0 + c / 2 - 34, 1, 68, 19}));
    EXPECT_EQ(strip.color, Color::hex(0xdcd6c8, 0.75));
    EXPECT_EQ(strip.blend, BlendMode::multiply);
}

TEST(BlocksNote, SeedParityMovesAndTiltsTheNote) {
    struct Case {
        uint64_t seed;
        double x0, deg;
    };
    const double c = 0.8 * 352, centred = 24 + (352 - c) / 2;
    const Case cases[] = {{2, centred + 10, -1.2}, {3, centred - 6, 1.0}, {0, centred + 10, -1.2}, {~0ull, centred - 6, 1.0}};
    const std::string text = "Two lines of ink on a sticky note, long enough to wrap once.";
    Hand measuring(7);
    const double th = measuring.write(text, 0, 0, c - 32, 15.5, Ink::ink, Faces::Face::hand, 20.15).height;
    ASSERT_NEAR(th, 2 * 20.15, 1e-9);

    for (const Case& k : cases) {
        J o(nlohmann::json{{"t", "note"}, {"text", text}});
        Laid laid = page().lay(o, k.seed);
        Hand again(k.seed);
        const double h = again.write(text, 0, 0, c - 32, 15.5, Ink::ink, Faces::Face::hand, 20.15).height;
        EXPECT_DOUBLE_EQ(laid.height, h + 52) << k.seed;
        // Every operation is tilted on its own about the note's centre, keeping its pause.
        for (const InkOpRef& op : laid.ops) {
            const RotOp& r = rot(op);
            EXPECT_EQ(r.deg, k.deg) << k.seed;
            EXPECT_EQ(r.px, k.x0 + c / 2) << k.seed;
            EXPECT_EQ(r.py, (h + 32) / 2 + 10) << k.seed;
            EXPECT_EQ(r.pause, r.inner->pause);
        }
        EXPECT_EQ(fillIn(rot(laid.ops[1]).inner).path, sheetFor(k.seed, k.x0, c, h)) << k.seed;
        // The words start 16 points inside the sheet, 24 below the block's top.
        auto words = std::dynamic_pointer_cast<const PhraseOp>(rot(laid.ops.at(3)).inner);
        ASSERT_TRUE(words);
        EXPECT_EQ(words->runs.at(0).x, k.x0 + 16);
        EXPECT_EQ(words->runs.at(0).color, Ink::ink);
        EXPECT_EQ(words->size, 15.5);
    }
    // The same seed draws the same note.
    Laid a = page().lay(J(nlohmann::json{{"t", "note"}, {"text", text}}), 9);
    Laid b = page().lay(J(nlohmann::json{{"t", "note"}, {"text", text}}), 9);
    ASSERT_EQ(a.ops.size(), b.ops.size());
    for (size_t i = 0; i < a.ops.size(); ++i) EXPECT_EQ(a.ops[i]->bounds(), b.ops[i]->bounds());
}

TEST(BlocksNote, AsideHookStaysUprightWhileTheWordsLean) {
    const std::string text = "a pencil remark in the margin";
    Laid laid = page().lay(J(nlohmann::json{{"t", "aside"}, {"text", text}}), 11);
    Hand hand(11);
    Hand::Result r = hand.write(text, 52, 1, 0.86 * 352, 14.5, Ink::pencil, Faces::Face::hand, 18.125);
    EXPECT_DOUBLE_EQ(laid.height, r.height + 4);
    EXPECT_DOUBLE_EQ(laid.height, 18.125 + 4);
    ASSERT_EQ(laid.ops.size(), r.ops.size() + 1);

    auto hook = std::dynamic_pointer_cast<const StrokeOp>(laid.ops[0]);
    ASSERT_TRUE(hook);
    EXPECT_EQ(hook->pen, Pen::usual(Ink::pencil, 1.3));
    EXPECT_EQ(hook->pace(), 1);
    EXPECT_EQ(hook->pause, 0);
    // The hook runs from (34, 2) down and round to (46, 11.6), give or take its wobble.
    Rect hb = hook->bounds();
    EXPECT_NEAR(hb.minX(), 34 - 1.3, 1.5);
    EXPECT_NEAR(hb.maxX(), 46 + 1.3, 1.5);
    EXPECT_NEAR(hb.maxY(), 11.6 + 1.3, 1.5);

    for (size_t i = 0; i < r.ops.size(); ++i) {
        const RotOp& turned = rot(laid.ops[i + 1]);
        EXPECT_EQ(turned.deg, -0.8);
        EXPECT_EQ(turned.px, 34);
        EXPECT_EQ(turned.py, 0);
        EXPECT_EQ(turned.pause, r.ops[i]->pause);
        EXPECT_EQ(turned.inner->bounds(), r.ops[i]->bounds());
    }
    auto words = std::dynamic_pointer_cast<const PhraseOp>(rot(laid.ops[1]).inner);
    ASSERT_TRUE(words);
    EXPECT_EQ(words->runs.at(0).color, Ink::pencil);
    EXPECT_EQ(words->runs.at(0).x, 52);

    // Without text: the hook and one empty line.
    Laid empty = page().lay(obj(R"({"t":"aside"})"), 11);
    EXPECT_DOUBLE_EQ(empty.height, 18.125 + 4);
    EXPECT_EQ(empty.ops.size(), 1u);
}
