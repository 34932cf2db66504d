#include "BlocksTestSupport.h"
#include "ink/Hand.h"
#include "ink/Ink.h"
#include "ink/blocks/Blocks.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

using namespace nolby;
using namespace nolby::testing;

namespace {

// The colour of the first run of the first phrase.
Color firstInk(const Laid& laid) { return opsOf<PhraseOp>(laid).at(0)->runs.at(0).color; }

}  // namespace

TEST(Blocks, KindsAreCaseSensitiveAndOnlyPageBlocksCount) {
    for (const char* kind : {"h", "p", "math", "list", "quote", "note", "fig", "code", "ask", "aside", "sketch"})
        EXPECT_TRUE(Blocks::isBlock(kind)) << kind;
    for (const char* kind : {"pto", "link", "mark", "H", ""}) EXPECT_FALSE(Blocks::isBlock(kind)) << kind;
    Laid upper = page().lay(obj(R"({"t":"P","text":"x"})"), 1);
    EXPECT_TRUE(upper.ops.empty());
    EXPECT_EQ(upper.height, 0);
    EXPECT_TRUE(page().lay(obj(R"({"text":"x"})"), 1).ops.empty());
}

TEST(Blocks, ParagraphsWriteInTheColumn) {
    Laid a = page().lay(obj(R"({"t":"p","text":"a b"})"), 5);
    Laid b = page().lay(obj(R"({"t":"p","text":"a b"})"), 5);
    Laid c = page().lay(obj(R"({"t":"p","text":"a b"})"), 6);
    EXPECT_DOUBLE_EQ(a.height, 24.14);
    EXPECT_TRUE(a.rooms.empty());
    auto run = opsOf<PhraseOp>(a).at(0)->runs.at(0);
    EXPECT_EQ(run.x, 24);
    ASSERT_EQ(a.ops.size(), b.ops.size());
    for (size_t i = 0; i < a.ops.size(); ++i) EXPECT_EQ(a.ops[i]->bounds(), b.ops[i]->bounds());
    EXPECT_NE(opsOf<PhraseOp>(c).at(0)->runs.at(0).y, run.y);
    EXPECT_DOUBLE_EQ(page().lay(obj(R"({"t":"p"})"), 1).height, 24.14);
    // Three lines of plain words are three line heights.
    Laid three = page().lay(obj(R"({"t":"p","text":"one\ntwo\nthree"})"), 1);
    EXPECT_NEAR(three.height, 3 * 24.14, 1e-9);
}

TEST(Blocks, HeadingColoursUnderlineAndHeight) {
    struct Case {
        const char* json;
        Color color;
    };
    const Case cases[] = {
        {R"({"t":"h","text":"Title","c":"teal"})", Color::hex(0x0c8599)},
        {R"({"t":"h","text":"Title","c":"#1a2b3c"})", Color::hex(0x1a2b3c)},
        {R"({"t":"h","text":"Title","c":"banana"})", Ink::ink},
        {R"({"t":"h","text":"Title"})", Ink::ink},
    };
    for (const Case& c : cases) EXPECT_EQ(firstInk(page().lay(obj(c.json), 1)), c.color) << c.json;

    Laid one = page().lay(obj(R"({"t":"h","text":"Title"})"), 1);
    EXPECT_EQ(one.height, 44);
    auto underline = opsOf<StrokeOp>(one).back();
    EXPECT_EQ(underline.get(), one.ops.back().get());
    EXPECT_EQ(underline->pen.color, kAccent);
    EXPECT_EQ(underline->pause, 0.2);

    Laid two = page().lay(obj(R"({"t":"h","text":"A heading long enough to need a second line"})"), 1);
    EXPECT_EQ(two.height, 74);
    // Under the second line: its baseline is 30 below the first.
    Hand hand(1);
    auto r = hand.write("A heading long enough to need a second line", 24, 2, 352, 25, Ink::ink, Faces::Face::hand, 30.0);
    ASSERT_EQ(r.lines.size(), 2u);
    Rect ub = opsOf<StrokeOp>(two).back()->bounds();
    EXPECT_GT(ub.midY(), r.lines[1].y);
    EXPECT_NEAR(ub.minX(), r.lines[1].left - 3 - 2, 3);

    Laid empty = page().lay(obj(R"({"t":"h"})"), 1);
    EXPECT_EQ(empty.height, 44);
    Rect eb = opsOf<StrokeOp>(empty).back()->bounds();
    EXPECT_NEAR(eb.minX(), 21 - 2, 2.5);
    EXPECT_NEAR(eb.maxX(), 34 + 2, 2.5);
}

TEST(Blocks, PageTurnMark) {
    Laid pto = page().lay(obj(R"({"t":"pto","text":"ignored"})"), 3);
    auto phrase = opsOf<PhraseOp>(pto).at(0);
    EXPECT_EQ(phrase->size, 14.5);
    EXPECT_EQ(phrase->runs.at(0).color, Ink::pencil);
    const auto& last = phrase->runs.back();
    EXPECT_NEAR(last.x + last.glyphs.width, 376, 1e-9);
    EXPECT_GE(phrase->runs.front().x, 306);
}

TEST(Blocks, MathsFitsBoxesAndCentres) {
    Faces::registerFrom();
    MathInk m(1);
    auto e = m.measure("x = 1", 21, true);
    Laid plain = page().lay(obj(R"({"t":"math","tex":"x = 1"})"), 1);
    EXPECT_NEAR(plain.height, e.a + e.d + 18, 1e-9);
    Laid boxed = page().lay(obj(R"({"t":"math","tex":"x = 1","box":true})"), 1);
    EXPECT_NEAR(boxed.height, plain.height + 16, 1e-9);
    auto firstGlyph = [](const Laid& l) { return opsOf<TextOp>(l).at(0); };
    EXPECT_NEAR(firstGlyph(boxed)->x, firstGlyph(plain)->x, 1e-9);
    EXPECT_NEAR(firstGlyph(boxed)->y - firstGlyph(plain)->y, 8, 1e-9);
    EXPECT_NEAR(firstGlyph(plain)->x, (352 - e.w) * 0.5 + 24, 1e-9);  // centred in the column

    // A wide formula shrinks to 94% of the column and is centred.
    std::string wide = "a+b+c+d+e+f+g+h+i+j+k+l+m+n+o+p+q+r+s+t+u+v+w";
    auto big = m.measure(wide, 21, true);
    ASSERT_GT(big.w, 0.94 * 352);
    double size = (0.94 * 352 / big.w) * 21;
    auto fitted = m.measure(wide, size, true);
    Laid shrunk = page().lay(*J::parse(nlohmann::json{{"t", "math"}, {"tex", wide}}.dump()), 1);
    EXPECT_NEAR(shrunk.height, fitted.a + fitted.d + 18, 1e-9);
    EXPECT_NEAR(opsOf<TextOp>(shrunk).at(0)->size, size, 1e-9);

    auto empty = m.measure("", 21, true);
    EXPECT_NEAR(page().lay(obj(R"({"t":"math"})"), 1).height, empty.a + empty.d + 18, 1e-9);
}

TEST(Blocks, NotesTakeRowsSoLabelsDoNotCollide) {
    Blocks b = page();
    std::vector<InkOpRef> ops;
    auto at = [](double x) { return MathInk::Note{Ink::ink, "a long label", {x, 20, 10, 20}}; };
    // Two notes side by side overlap: rows 0 and 1; a third far right clears row 0.
    double bottom = b.notes({at(150), at(160), at(330)}, ops, 100, 1);
    std::vector<double> tops;
    for (const auto& p : opsOf<PhraseOp>(Laid{ops, 0, {}})) tops.push_back(p->runs[0].y);
    ASSERT_EQ(tops.size(), 3u);
    EXPECT_NEAR(tops[1] - tops[0], 21.75, 1.5);  // baselines jitter a little
    EXPECT_NEAR(tops[2], tops[0], 1.5);
    EXPECT_GT(bottom, 100 + 14 + 21.75);
}

TEST(Blocks, ListsAndQuotes) {
    Laid none = page().lay(obj(R"({"t":"list"})"), 1);
    EXPECT_TRUE(none.ops.empty());
    EXPECT_EQ(none.height, 0);
    EXPECT_EQ(page().lay(obj(R"({"t":"list","items":[]})"), 1).height, 0);
    Laid two = page().lay(obj(R"({"t":"list","items":["one","two"]})"), 1);
    EXPECT_NEAR(two.height, 2 * (24.14 + 3), 1e-9);
    // Each item: its dash in the accent, then its words.
    EXPECT_EQ(std::dynamic_pointer_cast<const StrokeOp>(two.ops[0])->pen.color, kAccent);
    EXPECT_TRUE(std::dynamic_pointer_cast<const PhraseOp>(two.ops[1]));

    Laid q = page().lay(obj(R"({"t":"quote","text":"Short."})"), 1);
    EXPECT_NEAR(q.height, 25.5 + 16, 1e-9);
    EXPECT_EQ(std::dynamic_pointer_cast<const TextOp>(q.ops[0])->text, "\u201c");
    Laid by = page().lay(obj(R"({"t":"quote","text":"Short.","by":"Someone"})"), 1);
    EXPECT_NEAR(by.height, 25.5 + 16 + 14.5 * 1.42, 1e-9);
    auto attribution = opsOf<PhraseOp>(by).back();
    EXPECT_EQ(attribution->runs[0].color, Ink::grey);
    const auto& end = attribution->runs.back();
    EXPECT_NEAR(end.x + end.glyphs.width, 400 - 32, 1e-9);
}
