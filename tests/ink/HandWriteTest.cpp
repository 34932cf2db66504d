#include "ink/Hand.h"
#include "ink/ops/MonoOp.h"
#include "ink/ops/PhraseOp.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "platform/TextLine.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace nolby;

namespace {

Hand::Result write(const std::string& text, double width = 400, double size = 17) {
    Faces::registerFrom();
    Hand hand(7);
    return hand.write(text, 24, 100, width, size);
}

template <class T>
std::vector<std::shared_ptr<const T>> opsOf(const Hand::Result& r) {
    std::vector<std::shared_ptr<const T>> out;
    for (const auto& op : r.ops)
        if (auto t = std::dynamic_pointer_cast<const T>(op)) out.push_back(t);
    return out;
}

std::vector<std::shared_ptr<const StrokeOp>> strokes(const Hand::Result& r) { return opsOf<StrokeOp>(r); }

double wordWidth(const std::string& w, double size = 17) {
    return textWidth(w, *Faces::font(Faces::Face::hand, size));
}

}  // namespace

TEST(Hand, OneLineOfTwoWords) {
    auto r = write("a b");
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_EQ(r.lines[0].y, 117);
    EXPECT_DOUBLE_EQ(r.height, 17 * 1.42);
    auto phrases = opsOf<PhraseOp>(r);
    ASSERT_EQ(phrases.size(), 1u);
    EXPECT_EQ(phrases[0]->runs.size(), 2u);
    EXPECT_EQ(phrases[0]->pause, 0);
    EXPECT_EQ(r.lines[0].left, 24);

    Faces::registerFrom();
    Hand hand(7);
    auto tall = hand.write("a b", 24, 100, 400, 17, Ink::ink, Faces::Face::hand, 30.0);
    EXPECT_EQ(tall.height, 30);
    EXPECT_EQ(tall.lines[0].y, 117);
}

TEST(Hand, EmptyTextIsOneEmptyLine) {
    for (const char* text : {"", "   \n  "}) {
        auto r = write(text);
        EXPECT_TRUE(r.ops.empty());
        ASSERT_EQ(r.lines.size(), 1u);
        EXPECT_EQ(r.lines[0].left, r.lines[0].right);
        EXPECT_DOUBLE_EQ(r.height, 17 * 1.42);
    }
}

TEST(Hand, PausesFollowPunctuation) {
    // Narrow column: "after" wraps onto the second line.
    auto r = write("Stop. Wait, then go and after", 180);
    auto phrases = opsOf<PhraseOp>(r);
    ASSERT_GE(phrases.size(), 4u);
    EXPECT_EQ(phrases[0]->pause, 0);
    EXPECT_EQ(phrases[0]->runs.size(), 1u);  // cut after "Stop."
    EXPECT_EQ(phrases[1]->pause, 0.32);
    EXPECT_EQ(phrases[2]->pause, 0.18);
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(phrases.back()->pause, 0.12);  // first word of a line, after a plain word
}

TEST(Hand, WobbleScalesJitterButNotTheDraws) {
    Faces::registerFrom();
    Hand level(3), wobbly(3);
    auto flat = level.write("one two three four five six seven", 24, 0, 200, 17, Ink::ink, Faces::Face::hand,
                            std::nullopt, Hand::Align::left, true, std::nullopt, 0, 0, 0);
    auto moved = wobbly.write("one two three four five six seven", 24, 0, 200);
    EXPECT_EQ(level.rnd, wobbly.rnd);
    EXPECT_EQ(level.rough.rnd, wobbly.rough.rnd);
    // Level: every word sits exactly on its line's baseline.
    std::vector<double> baselines;
    for (const auto& line : flat.lines) baselines.push_back(line.y);
    for (const auto& p : opsOf<PhraseOp>(flat))
        for (const auto& run : p->runs)
            EXPECT_NE(std::find(baselines.begin(), baselines.end(), run.y), baselines.end());
    bool differs = false;
    auto a = opsOf<PhraseOp>(flat), b = opsOf<PhraseOp>(moved);
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) differs = differs || a[i]->runs[0].y != b[i]->runs[0].y;
    EXPECT_TRUE(differs);
}

TEST(Hand, OverflowRules) {
    struct Case {
        const char* text;
        double width;
        size_t lines;
    };
    double w = wordWidth("aaaa");
    const Case cases[] = {
        {"`x`)", 16, 1},              // ")" with no space before it hangs past the column
        {"`x` )", 16, 2},             // with a space before it, it starts a line
        {"aaaa ,", w + 2, 2},        // with a space it starts a line
        {"aaaa \u2192", w + 2, 1},    // a short arrow run hangs
        {"aaaa \u2014", w + 2, 1},    // so does a dash
        {"aaaa -1", w + 2, 2},       // unless it holds a digit
        {"aaaa $x$", w + 2, 2},      // maths always wraps
        {"aaaa$x$", w + 2, 2},       // even with no space before it
        {"aaaaaaaaaaaaaaaaaaaaaaaa", 20, 1},  // a long word overflows on its own line
    };
    for (const Case& c : cases) EXPECT_EQ(write(c.text, c.width).lines.size(), c.lines) << c.text;
}

// With breakRuns a run wider than the column is broken between its characters: it starts on
// a line of its own, every line stays within the column, and its pieces write it whole in
// order. Words that fit, formulas and a run without letters are written as before.
TEST(Hand, BreakRunsKeepsALongRunWithinTheColumn) {
    Faces::registerFrom();
    const std::string address = "https://example.org/" + std::string(90, 'w') + "/and/on/" + std::string(12, '-');
    struct Case {
        std::string text;
        double width;
        size_t lines;        // 0: more than one, each within the column
        std::string joined;  // the runs' texts, in order, without spaces
    };
    const Case cases[] = {
        {"see " + address, 200, 0, "see" + address},
        {std::string(60, '-'), 100, 0, std::string(60, '-')},  // no letters, still broken
        {"two words", 200, 1, "twowords"},
        {"one $x^2 + y^2 + z^2 + w^2$", 125, 2, "one"},  // the formula is no run
    };
    for (const Case& c : cases) {
        Hand hand(7);
        hand.breakRuns = true;
        const Hand::Result r = hand.write(c.text, 24, 100, c.width, 17);
        if (c.lines) EXPECT_EQ(r.lines.size(), c.lines) << c.text;
        else EXPECT_GT(r.lines.size(), 2u) << c.text;
        std::string joined;
        for (const auto& p : opsOf<PhraseOp>(r))
            for (const auto& run : p->runs) joined += run.glyphs.text;
        EXPECT_EQ(joined, c.joined) << c.text;
        for (const Hand::Line& line : r.lines) EXPECT_LE(line.right, 24 + c.width + 0.5) << c.text;
        // Counted the same way without writing.
        Hand counter(7);
        counter.breakRuns = true;
        EXPECT_EQ(counter.lineCount(c.text, c.width), r.lines.size()) << c.text;
    }
    // Without it the run runs past the column on a line of its own (the tutor's blocks).
    EXPECT_EQ(write("see " + address, 200).lines.size(), 2u);
}

TEST(Hand, AlignmentAndIndent) {
    Faces::registerFrom();
    Hand hand(1);
    auto r = hand.write("word", 24, 0, 300, 17, Ink::ink, Faces::Face::hand, std::nullopt, Hand::Align::right);
    EXPECT_DOUBLE_EQ(r.lines[0].right, 324);
    EXPECT_DOUBLE_EQ(r.lines[0].left, 324 - wordWidth("word"));
    EXPECT_DOUBLE_EQ(r.width, wordWidth("word"));

    Hand indented(1);
    auto i = indented.write("one two three four five six seven eight nine ten", 24, 0, 150, 17, Ink::ink,
                            Faces::Face::hand, std::nullopt, Hand::Align::left, true, std::nullopt, 20, 1);
    ASSERT_GE(i.lines.size(), 2u);
    EXPECT_EQ(i.lines[0].left, 44);
    EXPECT_EQ(i.lines[1].left, 24);
}

TEST(Hand, TallMathsPushesLinesApart) {
    auto plain = write("x\ny");
    auto tall = write("$\\frac{\\frac{a}{b}}{\\frac{c}{d}}$\ny");
    EXPECT_GT(tall.lines[0].y, plain.lines[0].y);
    EXPECT_GT(tall.lines[1].y - tall.lines[0].y, plain.lines[1].y - plain.lines[0].y);
    // Code and maths are their own operations, with the token's pause on the first.
    auto mixed = write("see `f(x)` and $x^2$");
    EXPECT_EQ(opsOf<MonoOp>(mixed).size(), 1u);
    EXPECT_EQ(opsOf<MonoOp>(mixed)[0]->pause, 0.06);
    EXPECT_EQ(opsOf<MonoOp>(mixed)[0]->cells()[0].color, Ink::color(std::string("violet"), Ink::ink));
    EXPECT_FALSE(opsOf<TextOp>(mixed).empty());
}

TEST(Hand, RingsMakeRoomOnlyWithMarks) {
    Faces::registerFrom();
    Hand marked(2), plain(2);
    auto withMarks = marked.write("((word)) next", 24, 0, 400);
    auto without = plain.write("((word)) next", 24, 0, 400, 17, Ink::ink, Faces::Face::hand, std::nullopt,
                               Hand::Align::left, false);
    auto a = opsOf<PhraseOp>(withMarks)[0]->runs, b = opsOf<PhraseOp>(without)[0]->runs;
    EXPECT_NEAR(a[0].x - b[0].x, 17 * 0.46, 1e-9);
    EXPECT_NEAR(a[1].x - b[1].x, 2 * 17 * 0.46, 1e-9);
    EXPECT_EQ(strokes(withMarks).size(), 1u);
    EXPECT_TRUE(strokes(without).empty());
}

TEST(Hand, DecorationsPerLineInOrder) {
    struct Case {
        const char* text;
        double width;
        std::vector<std::string> pens;  // colour of each decoration stroke, in order
    };
    auto hex = [](const char* name) { return Ink::marker(std::string(name)).hexString(); };
    const std::string red = Ink::color(std::string("red"), Ink::ink).hexString();
    const std::string ink = Ink::ink.hexString();
    const Case cases[] = {
        {"**one two three four five six**", 120, {hex("yellow"), hex("yellow")}},  // wraps: one per line
        {"**one** two **three**", 400, {hex("yellow"), hex("yellow")}},
        {"**{violet: hi}**", 400, {hex("violet")}},  // a colour opened inside a highlight tints it
        {"**{grey: hi}**", 400, {hex("yellow")}},    // grey has no marker: yellow
        {"__under__ ~~wavy~~ ((ring)) **hl**", 400, {hex("yellow"), red, red, ink}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> pens;
        for (const auto& s : strokes(write(c.text, c.width))) pens.push_back(s->pen.color.hexString());
        EXPECT_EQ(pens, c.pens) << c.text;
    }
    auto hl = strokes(write("**hl**"))[0];
    EXPECT_EQ(hl->pen.blend, BlendMode::multiply);
    EXPECT_EQ(hl->pen.cap, LineCap::butt);
    EXPECT_EQ(hl->pause, 0.16);
    EXPECT_EQ(hl->pace(), 1.6);
    auto ul = strokes(write("__ul__"))[0];
    EXPECT_EQ(ul->pause, 0.12);
    EXPECT_EQ(ul->cost(), ul->total() / 2);
}

TEST(Hand, RingsStopBeforeClosingPunctuation) {
    auto font = Faces::font(Faces::Face::hand, 17);
    EXPECT_DOUBLE_EQ(Hand::ringEnd("it,", 10, 50, *font), 10 + textWidth("it", *font));
    EXPECT_EQ(Hand::ringEnd("!", 10, 50, *font), 50);
    EXPECT_EQ(Hand::ringEnd("word", 10, 50, *font), 50);
}

TEST(Hand, TrimmingTrailing) {
    EXPECT_EQ(trimmingTrailing("word  ", " "), "word");
    EXPECT_EQ(trimmingTrailing("   ", " "), "");
    EXPECT_EQ(trimmingTrailing("", " "), "");
    EXPECT_EQ(trimmingTrailing("end.\u201d", ".\u201d"), "end");
    EXPECT_EQ(trimmingTrailing("a b", " "), "a b");
}

TEST(Hand, SizeZeroWritesNoDecorations) {
    Faces::registerFrom();
    Hand hand(1);
    auto r = hand.write("~~wavy~~ and **hl**", 0, 0, 100, 0);
    EXPECT_TRUE(strokes(r).empty());
}

TEST(Hand, SameSeedSameInk) {
    auto a = write("The area $A = \\pi r^2$ grows **fast**, see `f(r)`."),
         b = write("The area $A = \\pi r^2$ grows **fast**, see `f(r)`.");
    ASSERT_EQ(a.ops.size(), b.ops.size());
    for (size_t i = 0; i < a.ops.size(); ++i) {
        EXPECT_EQ(a.ops[i]->bounds(), b.ops[i]->bounds());
        EXPECT_EQ(a.ops[i]->pause, b.ops[i]->pause);
    }
}
