#include "ink/Faces.h"
#include "ink/Ink.h"
#include "ink/math/Lexer.h"
#include "ink/math/MathInk.h"
#include "ink/math/Parser.h"
#include "ink/ops/StrokeOp.h"
#include "ink/ops/TextOp.h"
#include "MathProbe.h"
#include "OpsJson.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using M = MathInk::M;
using nolby::probe::kids;

namespace {

struct Written {
    std::vector<InkOpRef> ops;
    std::vector<MathInk::Note> notes;
};

Written write(uint64_t seed, const std::string& tex, double size = 20, bool display = false) {
    Faces::registerFrom();
    MathInk ink(seed);
    Written w;
    ink.draw(tex, size, Ink::ink, display, 0, 0, w.ops, w.notes);
    return w;
}

// The formula as one row, read straight from the lexer.
MathInk::MRef rowOf(const std::string& tex) {
    math::Lexer lexer(tex);
    return math::parseRow(lexer, std::nullopt, false);
}

std::vector<std::string> texts(const std::vector<InkOpRef>& ops) {
    std::vector<std::string> out;
    for (const auto& op : ops) {
        if (auto t = dynamic_cast<const TextOp*>(op.get())) out.push_back(t->text);
        else out.push_back(op->className());
    }
    return out;
}

}  // namespace

TEST(MathInk, MeasuringIsRepeatableAndDrawingDoesNotDependOnIt) {
    Faces::registerFrom();
    MathInk ink(42);
    auto first = ink.measure("\\frac{a+b}{\\sqrt{x}} = y'", 20, false);
    EXPECT_EQ(ink.measure("\\frac{a+b}{\\sqrt{x}} = y'", 20, false), first);
    ink.measure("something else entirely", 13, true);
    std::vector<InkOpRef> a, b;
    std::vector<MathInk::Note> notes;
    ink.draw("\\frac{a+b}{\\sqrt{x}} = y'", 20, Ink::ink, false, 5, 50, a, notes);
    MathInk fresh(42);
    fresh.draw("\\frac{a+b}{\\sqrt{x}} = y'", 20, Ink::ink, false, 5, 50, b, notes);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i]->bounds(), b[i]->bounds()) << i;
}

TEST(MathInk, SeedsChangeOnlyTheWobble) {
    Faces::registerFrom();
    MathInk one(1), two(2);
    EXPECT_EQ(one.measure("xy", 20, false), two.measure("xy", 20, false));
    auto a = write(1, "xy"), b = write(2, "xy");
    ASSERT_EQ(a.ops.size(), 2u);
    ASSERT_EQ(b.ops.size(), 2u);
    auto ta = std::dynamic_pointer_cast<const TextOp>(a.ops[0]), tb = std::dynamic_pointer_cast<const TextOp>(b.ops[0]);
    EXPECT_EQ(ta->x, tb->x);
    EXPECT_NE(ta->y, tb->y);
    EXPECT_LE(std::fabs(ta->y), 20 * 0.025);
}

TEST(MathInk, DeltaIsTheIncrementSignUnlessWrittenAsText) {
    EXPECT_EQ(texts(write(3, "\\Delta").ops), (std::vector<std::string>{"\u2206"}));
    EXPECT_EQ(texts(write(3, "\\text{\u0394}").ops), (std::vector<std::string>{"\u0394"}));
}

TEST(MathInk, GlyphBoxesRiseAtLeastTheMinimum) {
    Faces::registerFrom();
    MathInk ink(1);
    auto blank = MathInk::metrics(" ");
    EXPECT_TRUE(blank.ink.isNull());
    auto space = ink.glyphBox(" ", 20, Ink::ink);
    EXPECT_DOUBLE_EQ(space->a, 0.39 * 20);
    EXPECT_EQ(space->d, 0);
    EXPECT_EQ(space->inkL, 0);
    EXPECT_DOUBLE_EQ(space->inkR, space->w);
    auto minus = ink.glyphBox("-", 20, Ink::ink);
    EXPECT_DOUBLE_EQ(minus->a, 0.39 * 20);
    auto tallLetter = ink.glyphBox("l", 20, Ink::ink);
    EXPECT_GT(tallLetter->a, 0.39 * 20);
}

TEST(MathInk, NotesComeAfterEverythingInsideThem) {
    auto one = write(5, "\\note{red}{slope}{m}");
    ASSERT_EQ(one.notes.size(), 1u);
    EXPECT_EQ(one.notes[0].color, Ink::color(std::string("red"), Ink::ink));
    EXPECT_EQ(one.notes[0].label, "slope");
    auto m = std::dynamic_pointer_cast<const TextOp>(one.ops.at(0));
    EXPECT_EQ(m->color, one.notes[0].color);

    auto nested = write(5, "\\note{red}{a}{x + \\note{blue}{b}{y}}");
    ASSERT_EQ(nested.notes.size(), 2u);
    EXPECT_EQ(nested.notes[0].label, "b");
    EXPECT_EQ(nested.notes[1].label, "a");

    auto plain = write(5, "\\color{nosuch}{x}");
    EXPECT_EQ(std::dynamic_pointer_cast<const TextOp>(plain.ops.at(0))->color, Ink::ink);
}

TEST(MathInk, FontsAreSharedPerHundredthOfAPoint) {
    Faces::registerFrom();
    EXPECT_EQ(MathInk::font(14.004), MathInk::font(13.996));
    EXPECT_NE(MathInk::font(14.01), MathInk::font(14));
    auto f = MathInk::font(20);
    EXPECT_EQ(f->postScriptName().rfind("Excalifont", 0), 0u);
    ASSERT_EQ(f->cascade().size(), 1u);
    EXPECT_EQ(f->cascade()[0]->file().postScriptName().rfind("ShantellSans", 0), 0u);
}

TEST(MathInk, SymbolsNoFaceHasStillGetInk) {
    // Many maths characters are missing from the web faces: a system face supplies them.
    for (const char* tex : {"\\leq", "\\approx", "\\infty", "\\partial", "\\Rightarrow", "\\neq"}) {
        auto w = write(1, tex);
        ASSERT_FALSE(w.ops.empty()) << tex;
        for (const auto& op : w.ops) EXPECT_FALSE(op->bounds().isNull()) << tex;
        auto t = std::dynamic_pointer_cast<const TextOp>(w.ops[0]);
        if (t) {
            EXPECT_FALSE(t->glyphs.path.isEmpty()) << tex;
        }
    }
}

TEST(MathInk, RowSpacingByClass) {
    Faces::registerFrom();
    struct Case {
        const char* tex;
        double size;
        std::vector<double> gaps;  // in units of the size, between consecutive kids
    };
    const Case cases[] = {
        {"a=b", 21, {0.28, 0.28}},
        {"-x", 20, {0.03}},              // no left neighbour: an ordinary atom, no gap before it
        {"a-b", 20, {0.2, 0.2}},
        {"a-=", 20, {0.03, 0.28}},      // demoted before a relation
        {"\\sin x", 20, {0.12}},
        {"\\sin(x)", 20, {0.03, 0, 0}},
        {"ab", 20, {0.03}},
        {"a,b", 20, {0, 0.18}},
    };
    for (const Case& c : cases) {
        MathInk ink(1);
        ink.baseSize = c.size;
        auto box = ink.layout(rowOf(c.tex), c.size, Ink::ink, false);
        auto k = kids(*box);
        ASSERT_EQ(k.size(), c.gaps.size() + 1) << c.tex;
        for (size_t i = 0; i < c.gaps.size(); ++i) {
            double gap = k[i + 1].x - (k[i].x + k[i].box->w);
            EXPECT_NEAR(gap, c.gaps[i] * c.size, 1e-9) << c.tex << " gap " << i;
        }
    }
    // In a script (size 13.86 < 0.8 × 21) the relation gaps halve, the ordinary gap does not.
    MathInk ink(1);
    ink.baseSize = 21;
    auto small = ink.layout(rowOf("a=b"), 13.86, Ink::ink, false);
    auto k = kids(*small);
    EXPECT_NEAR(k[1].x - k[0].box->w, 0.14 * 13.86, 1e-9);
    auto ab = kids(*ink.layout(rowOf("ab"), 13.86, Ink::ink, false));
    EXPECT_NEAR(ab[1].x - ab[0].box->w, 0.03 * 13.86, 1e-9);
}

TEST(MathInk, FractionGeometry) {
    Faces::registerFrom();
    MathInk ink(1);
    auto box = ink.layout(rowOf("\\frac{1}{2}"), 20, Ink::ink, false);
    auto frac = kids(*box).at(0).box;
    EXPECT_TRUE(frac->tall);
    auto parts = kids(*frac);
    ASSERT_EQ(parts.size(), 2u);
    const auto& num = parts[0];
    const auto& den = parts[1];
    EXPECT_NEAR(num.x, (frac->w - num.box->w) / 2, 1e-9);
    EXPECT_NEAR(den.x, (frac->w - den.box->w) / 2, 1e-9);
    EXPECT_NEAR(num.y, -6 - 3.2 - num.box->d, 1e-9);
    EXPECT_NEAR(den.y, -6 + 3.2 + den.box->a, 1e-9);
    EXPECT_NEAR(frac->a, num.box->a + num.box->d + 0.46 * 20, 1e-9);
    EXPECT_NEAR(frac->d, den.box->a + den.box->d - 0.14 * 20, 1e-9);
    // Parts are set at max(0.7 s, 9.3) inline: 14 at size 20, 9.3 at size 10.
    auto g = std::get<MathInk::G>(kids(*num.box).at(0).box->pieces.at(0).first);
    EXPECT_EQ(g.size, 14);
    auto smallFrac = kids(*kids(*ink.layout(rowOf("\\frac{1}{2}"), 10, Ink::ink, false)).at(0).box);
    EXPECT_EQ(std::get<MathInk::G>(kids(*smallFrac.at(0).box).at(0).box->pieces.at(0).first).size, 9.3);
    // Empty parts still rise 0.39 of their size.
    auto empty = kids(*kids(*ink.layout(rowOf("\\frac{}{}"), 20, Ink::ink, false)).at(0).box);
    EXPECT_NEAR(empty[0].box->a, 0.39 * 14, 1e-9);
}

TEST(MathInk, FractionsAreWrittenNumeratorBarDenominator) {
    auto w = write(9, "\\frac{1}{xxxxxx}");
    EXPECT_EQ(texts(w.ops), (std::vector<std::string>{"1", "StrokeOp", "x", "x", "x", "x", "x", "x"}));
}

TEST(MathInk, ScriptsAndPrimes) {
    Faces::registerFrom();
    MathInk ink(1);
    // x_1^2: both scripts at the same x, the subscript pushed down when they come too close.
    auto box = kids(*ink.layout(rowOf("x_1^2"), 20, Ink::ink, false)).at(0).box;
    auto parts = kids(*box);
    ASSERT_EQ(parts.size(), 3u);  // base, sup, sub
    EXPECT_EQ(parts[1].x, parts[2].x);
    double gap = (parts[2].y - parts[2].box->a) - (parts[1].box->d + parts[1].y);
    EXPECT_GE(gap, 0.12 * 20 - 1e-9);

    // x'' draws one stroke piece (two slashes), x'^2 puts the 2 after them.
    auto primed = kids(*ink.layout(rowOf("x''"), 20, Ink::ink, false)).at(0).box;
    int strokes = 0;
    for (const auto& [piece, key] : primed->pieces) strokes += std::holds_alternative<MathInk::S>(piece);
    EXPECT_EQ(strokes, 1);
    auto base = kids(*primed).at(0).box;
    auto withTwo = kids(*ink.layout(rowOf("x'^2"), 20, Ink::ink, false)).at(0).box;
    auto sup = kids(*withTwo).at(1);
    EXPECT_GE(sup.x, base->inkR + 20 * 0.23 + 0.04 * 20 - 1e-9);
}

TEST(MathInk, GroupsAndRoots) {
    Faces::registerFrom();
    MathInk ink(1);
    auto fence = kids(*ink.layout(rowOf("\\left(x\\right)"), 20, Ink::ink, false)).at(0).box;
    EXPECT_FALSE(fence->tall);
    EXPECT_EQ(fence->inkL, 0);
    EXPECT_EQ(fence->inkR, fence->w);

    auto root = kids(*ink.layout(rowOf("\\sqrt[3]{x}"), 20, Ink::ink, false)).at(0).box;
    auto parts = kids(*root);
    ASSERT_EQ(parts.size(), 2u);  // index, body
    const auto& index = parts[0];
    double o = std::max(0.0, index.box->w - 0.28 * 20);
    EXPECT_NEAR(index.x + index.box->w, o + 0.3 * 20, 1e-9);
    EXPECT_NEAR(index.y + index.box->d, -0.4 * 20, 1e-9);
    EXPECT_EQ(std::get<MathInk::G>(kids(*index.box).at(0).box->pieces.at(0).first).size, 10);
}

TEST(MathInk, HostileFormulasStillDraw) {
    std::string deep(3000, '{');
    for (const std::string& tex : {deep, std::string(5000, '-') + "x", std::string("\\frac\\frac\\frac"),
                                   std::string("x^{x^{x^{x^{x^{x}}}}}")}) {
        auto w = write(1, tex);
        for (const auto& op : w.ops) {
            Rect b = op->bounds();
            if (!b.isNull()) {
                EXPECT_TRUE(std::isfinite(b.x + b.y + b.w + b.h));
            }
        }
    }
}

namespace {

// Two operation lists alike in every written field and every path point.
void expectSameInk(const std::vector<InkOpRef>& a, const std::vector<InkOpRef>& b, const std::string& what) {
    ASSERT_EQ(a.size(), b.size()) << what;
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(tools::opJson(*a[i]), tools::opJson(*b[i])) << what << " op " << i;
        auto ta = dynamic_cast<const TextOp*>(a[i].get()), tb = dynamic_cast<const TextOp*>(b[i].get());
        auto sa = dynamic_cast<const StrokeOp*>(a[i].get()), sb = dynamic_cast<const StrokeOp*>(b[i].get());
        if (ta && tb) EXPECT_TRUE(ta->glyphs == tb->glyphs && ta->x == tb->x && ta->y == tb->y) << what << " op " << i;
        else if (sa && sb) EXPECT_TRUE(sa->path == sb->path) << what << " op " << i;
        else ADD_FAILURE() << what << " op " << i << " is " << a[i]->className();
    }
}

}  // namespace

TEST(MathInk, DrawingAfterMeasuringIsTheInkOfDrawingAlone) {
    Faces::registerFrom();
    const char* formulas[] = {"x = \\frac{-b \\pm \\sqrt{b^2 - 4ac}}{2a}", "\\sum_{i=1}^{n} i", "\\vec{F} = m\\vec{a}",
                              "\\note{red}{slope}{m} x + c", "\\left( \\frac{1}{2} \\right)^{n}", "\\binom{n}{k}"};
    const Color colors[] = {Ink::ink, Color::hex(0x1971c2)};
    uint64_t seed = 0x5eed0000;
    for (const char* tex : formulas) {
        for (Color color : colors) {
            for (bool display : {false, true}) {
                const std::string what = std::string(tex) + (display ? " display" : " inline");
                ++seed;
                // Drawn alone, the layout is made by the drawing pass itself.
                MathInk alone(seed);
                Written a;
                auto ea = alone.draw(tex, 19, color, display, 3, 40, a.ops, a.notes);
                // Measured first, drawing takes the measuring pass's layout.
                MathInk measured(seed);
                auto m = measured.measure(tex, 19, display, color);
                Written b;
                auto eb = measured.draw(tex, 19, color, display, 3, 40, b.ops, b.notes);
                EXPECT_EQ(m, ea) << what;
                EXPECT_EQ(eb, ea) << what;
                EXPECT_EQ(b.notes, a.notes) << what;
                expectSameInk(a.ops, b.ops, what);
                // And the generators are left where drawing alone leaves them.
                EXPECT_EQ(measured.rough.rnd, alone.rough.rnd) << what;
                EXPECT_EQ(measured.jr, alone.jr) << what;
                // A measure in another colour, size or display mode lays the formula out again.
                MathInk other(seed);
                other.measure(tex, 19, !display, Color::hex(0xe03131));
                Written c;
                other.draw(tex, 19, color, display, 3, 40, c.ops, c.notes);
                expectSameInk(a.ops, c.ops, what + " after another measure");
            }
        }
    }
}
