#include "MathProbe.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::probe;

namespace {

constexpr double kSetAt = 20;  // the size every case is set at
constexpr double kHalfPen = 0.085 * kSetAt / 2;

// Draws one ring of the given diameter makes (they depend on its size only).
uint64_t ringDraws(double diameter) {
    Rough r(1, 0.7, 0.682, 2, 0.62);
    Rng before = r.rnd;
    Path p;
    r.ellipse(p, 0, 0, diameter * kSetAt, diameter * kSetAt, 1);
    return drawsBetween(before, r.rnd);
}

void expectPoint(Point got, double x, double y, const std::string& what) {
    EXPECT_NEAR(got.x, x * kSetAt, 1e-9) << what;
    EXPECT_NEAR(got.y, y * kSetAt, 1e-9) << what;
}

}  // namespace

TEST(MathSymbols, EveryHandDrawnShapeHasItsWidthAndDraws) {
    Faces::registerFrom();
    const double dot = MathInk::metrics("·").w, h = MathInk::metrics("h").w;
    struct Case {
        const char* name;
        double width;    // in units of the size
        uint64_t draws;  // lines 11, curves 2 per point, rings their own
        int glyphs;
    };
    const uint64_t smallRing = ringDraws(0.18), bigRing = ringDraws(0.54);
    const Case cases[] = {
        {"∈", 0.62, 21, 0},   {"∉", 0.62, 32, 0},   {"⊂", 0.62, 10, 0},   {"⊃", 0.62, 10, 0},
        {"⊆", 0.62, 21, 0},   {"⊇", 0.62, 21, 0},   {"∪", 0.62, 10, 0},   {"∩", 0.62, 10, 0},
        {"∧", 0.62, 22, 0},   {"∨", 0.62, 22, 0},   {"→", 0.88, 33, 0},   {"←", 0.88, 33, 0},
        {"↔", 1, 55, 0},      {"↦", 0.88, 44, 0},   {"⇒", 0.88, 44, 0},   {"⇐", 0.88, 44, 0},
        {"⇔", 1.04, 66, 0},   {"↑", 0.5, 33, 0},    {"↓", 0.5, 33, 0},    {"∇", 0.7, 33, 0},
        {"∀", 0.64, 33, 0},   {"∃", 0.62, 44, 0},   {"∘", 0.42, smallRing, 0},
        {"⋯", dot + 0.48, 0, 3},                    {"∠", 0.7, 22, 0},    {"⋆", 0.6, 110, 0},
        {"∓", 0.6, 33, 0},    {"⊕", 0.68, bigRing + 22, 0},               {"⊗", 0.68, bigRing + 22, 0},
        {"∗", 0.52, 33, 0},   {"∖", 0.48, 11, 0},   {"∼", 0.58, 8, 0},    {"≃", 0.58, 19, 0},
        {"≅", 0.58, 30, 0},   {"≡", 0.58, 33, 0},   {"∝", 0.6, 34, 0},    {"≪", 0.62, 44, 0},
        {"≫", 0.62, 44, 0},   {"⊥", 0.62, 22, 0},   {"∥", 0.42, 22, 0},   {"ℏ", h, 11, 1},
        {"′", 0.23, 11, 0},   {"′′′", 0.49, 33, 0},
    };
    for (const Case& c : cases) {
        MathInk ink(7);
        Rng before = ink.rough.rnd;
        auto box = ink.drawn(c.name, kSetAt, Ink::ink);
        ASSERT_TRUE(box) << c.name;
        EXPECT_NEAR(box->w, c.width * kSetAt, 1e-12) << c.name;
        EXPECT_EQ(drawsBetween(before, ink.rough.rnd), c.draws) << c.name;
        EXPECT_GE(box->a, 0.39 * kSetAt) << c.name;
        EXPECT_EQ(box->inkL, 0) << c.name;
        EXPECT_EQ(box->inkR, box->w) << c.name;
        EXPECT_FALSE(box->tall) << c.name;
        // Glyphs are written first, then every stroke as one piece.
        auto gs = glyphs(*box);
        ASSERT_EQ(gs.size(), static_cast<size_t>(c.glyphs)) << c.name;
        for (int i = 0; i < c.glyphs; ++i) EXPECT_EQ(gs[i].second, i) << c.name;
        auto ss = strokes(*box);
        ASSERT_EQ(ss.size(), c.draws ? 1u : 0u) << c.name;
        if (c.draws) {
            EXPECT_EQ(ss[0].second, c.glyphs) << c.name;
            EXPECT_DOUBLE_EQ(ss[0].first.width, 0.085 * kSetAt) << c.name;
            // Fitted: the box covers the strokes.
            Rect b = ss[0].first.path.boundingBox();
            EXPECT_GE(box->a, kHalfPen - b.minY() - 1e-9) << c.name;
            EXPECT_GE(box->d, kHalfPen + b.maxY() - 1e-9) << c.name;
        }
    }
}

TEST(MathSymbols, OnlyWholeNamesAreDrawnByHand) {
    Faces::registerFrom();
    MathInk ink(1);
    for (const char* name : {"", "x", "=", "(", "Δ", "′a", "a′", "→→", "∈ ", "\\in"}) {
        Rng before = ink.rough.rnd;
        EXPECT_FALSE(ink.drawn(name, kSetAt, Ink::ink)) << name;
        EXPECT_EQ(ink.rough.rnd, before) << name;
    }
}

TEST(MathSymbols, MirroredShapesAreReflectionsWithTheSameDraws) {
    Faces::registerFrom();
    const std::pair<const char*, const char*> pairs[] = {{"⊃", "⊂"}, {"⊇", "⊆"}, {"≫", "≪"}};
    for (auto [mirrored, original] : pairs) {
        MathInk a(99), b(99);
        auto m = a.drawn(mirrored, kSetAt, Ink::ink), o = b.drawn(original, kSetAt, Ink::ink);
        EXPECT_EQ(a.rough.rnd, b.rough.rnd) << mirrored;
        Path reflected = strokes(*o).at(0).first.path.transformed(Affine{-1, 0, 0, 1, 0.62 * kSetAt, 0});
        EXPECT_EQ(strokes(*m).at(0).first.path, reflected) << mirrored;
        EXPECT_EQ(m->w, o->w) << mirrored;
    }
}

TEST(MathSymbols, StraightStrokesRunWhereAndInTheOrderDrawn) {
    struct Case {
        const char* name;
        std::vector<std::pair<Point, Point>> lines;  // in units of the size
    };
    // The double arrows' shafts stop 0.1 short of the head's tip.
    const Case cases[] = {
        {"⇒", {{{0.06, -0.39}, {0.72, -0.39}}, {{0.06, -0.21}, {0.72, -0.21}},
               {{0.6, -0.53}, {0.82, -0.3}}, {{0.82, -0.3}, {0.6, -0.07}}}},
        {"⇐", {{{0.16, -0.39}, {0.82, -0.39}}, {{0.16, -0.21}, {0.82, -0.21}},
               {{0.28, -0.53}, {0.06, -0.3}}, {{0.06, -0.3}, {0.28, -0.07}}}},
        {"∇", {{{0.05, -0.7}, {0.63, -0.7}}, {{0.63, -0.7}, {0.34, 0}}, {{0.34, 0}, {0.05, -0.7}}}},
        {"≪", {{{0.34, -0.52}, {0.06, -0.3}}, {{0.06, -0.3}, {0.34, -0.08}},
               {{0.54, -0.52}, {0.26, -0.3}}, {{0.26, -0.3}, {0.54, -0.08}}}},
        {"′′", {{{0.15, -0.8}, {0.06, -0.52}}, {{0.28, -0.8}, {0.19, -0.52}}}},
    };
    for (const Case& c : cases) {
        MathInk ink = flatInk();
        auto seg = segments(strokes(*ink.drawn(c.name, kSetAt, Ink::ink)).at(0).first.path);
        ASSERT_EQ(seg.size(), c.lines.size()) << c.name;
        for (size_t i = 0; i < seg.size(); ++i) {
            expectPoint(seg[i].first, c.lines[i].first.x, c.lines[i].first.y, std::string(c.name) + " start");
            expectPoint(seg[i].second, c.lines[i].second.x, c.lines[i].second.y, std::string(c.name) + " end");
        }
    }
    // The asterisk's three strokes all cross at its centre, each 0.17 of the size to either side.
    MathInk ink = flatInk();
    for (auto [a, b] : segments(strokes(*ink.drawn("∗", kSetAt, Ink::ink)).at(0).first.path)) {
        expectPoint({(a.x + b.x) / 2, (a.y + b.y) / 2}, 0.26, -0.3, "asterisk centre");
        EXPECT_NEAR(std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y)), 0.34 * kSetAt, 1e-9);
    }
}

TEST(MathSymbols, EllipsisIsThreeDotGlyphsAndHBarIsALetterWithAStroke) {
    Faces::registerFrom();
    MathInk ink(3);
    auto dots = ink.drawn("⋯", kSetAt, Ink::ink);
    auto gs = glyphs(*dots);
    ASSERT_EQ(gs.size(), 3u);
    const double xs[] = {0.02, 0.24, 0.46};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(gs[i].first.s, "·");
        EXPECT_NEAR(gs[i].first.x, xs[i] * kSetAt, 1e-12);
        EXPECT_EQ(gs[i].first.y, 0);
        EXPECT_EQ(gs[i].first.size, kSetAt);
    }
    EXPECT_TRUE(strokes(*dots).empty());
    EXPECT_EQ(dots->a, 0.39 * kSetAt);
    EXPECT_EQ(dots->d, 0);

    auto hbar = ink.drawn("ℏ", kSetAt, Ink::ink);
    ASSERT_EQ(glyphs(*hbar).size(), 1u);
    EXPECT_EQ(glyphs(*hbar)[0].first.s, "h");
    EXPECT_EQ(strokes(*hbar).at(0).second, 1);
    EXPECT_GE(hbar->a, -MathInk::metrics("h").ink.minY() * kSetAt);

    // Written glyph first, then the bar.
    std::vector<InkOpRef> ops;
    std::vector<MathInk::Note> notes;
    MathInk(3).draw("\\hbar", kSetAt, Ink::ink, false, 0, 0, ops, notes);
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_STREQ(ops[0]->className(), "TextOp");
    EXPECT_STREQ(ops[1]->className(), "StrokeOp");
}

TEST(MathSymbols, TallDelimitersCoverTheContentAroundTheAxis) {
    struct Case {
        const char* name;
        double a, d;       // the content, in points at size 20
        double top, bottom;
        double width;
    };
    // half = max(a − 6, d + 6, 10) + 1.6; top = −6 − half, bottom = half − 6.
    const Case cases[] = {
        {"(", 0, 0, -17.6, 5.6, 6 + 0.06 * 23.2},  // empty content: still half-height 0.58 × size
        {")", 0, 0, -17.6, 5.6, 6 + 0.06 * 23.2},
        {"[", 30, 10, -31.6, 19.6, 7.2},
        {"]", 30, 10, -31.6, 19.6, 7.2},
        {"{", 5, 20, -33.6, 21.6, 8.4},
        {"}", 5, 20, -33.6, 21.6, 8.4},
        {"⟨", 12, 2, -17.6, 5.6, 7.2},
        {"⟩", 12, 2, -17.6, 5.6, 7.2},
        {"|", 12, 2, -17.6, 5.6, 6},
        {"‖", 20, 3, -21.6, 9.6, 8.4},
    };
    for (const Case& c : cases) {
        MathInk ink = flatInk();
        auto box = ink.tallDelimiter(c.name, c.a, c.d, kSetAt, Ink::ink);
        ASSERT_TRUE(box) << c.name;
        EXPECT_NEAR(box->w, c.width, 1e-9) << c.name;
        EXPECT_TRUE(box->tall) << c.name;
        EXPECT_EQ(box->inkL, 0) << c.name;
        EXPECT_EQ(box->inkR, box->w) << c.name;
        ASSERT_EQ(strokes(*box).size(), 1u);
        EXPECT_FALSE(strokes(*box)[0].second) << c.name;
        // The strokes reach the top and the bottom; fitting adds half the pen (a wobble-free
        // upright bar has zero-width bounds, which fitting passes over).
        const double pen = strokes(*box)[0].first.path.boundingBox().isEmpty() ? 0 : kHalfPen;
        EXPECT_NEAR(box->a, -c.top + pen, 1e-9) << c.name;
        EXPECT_NEAR(box->d, c.bottom + pen, 1e-9) << c.name;
    }
    MathInk ink(1);
    for (const char* name : {"x", "/", "⌈", "∥"}) EXPECT_FALSE(ink.tallDelimiter(name, 30, 10, kSetAt, Ink::ink)) << name;
}

TEST(MathSymbols, ClosingDelimitersMirrorOpeningOnes) {
    for (auto [open, close] : {std::pair{"(", ")"}, {"[", "]"}, {"{", "}"}, {"⟨", "⟩"}}) {
        MathInk a = flatInk(), b = flatInk();
        auto o = a.tallDelimiter(open, 25, 12, kSetAt, Ink::ink), c = b.tallDelimiter(close, 25, 12, kSetAt, Ink::ink);
        EXPECT_EQ(a.rough.rnd, b.rough.rnd) << open;
        auto so = segments(strokes(*o)[0].first.path), sc = segments(strokes(*c)[0].first.path);
        ASSERT_EQ(so.size(), sc.size()) << open;
        for (size_t i = 0; i < so.size(); ++i) {
            EXPECT_NEAR(sc[i].first.x, o->w - so[i].first.x, 1e-9) << open;
            EXPECT_NEAR(sc[i].first.y, so[i].first.y, 1e-9) << open;
            EXPECT_NEAR(sc[i].second.x, o->w - so[i].second.x, 1e-9) << open;
        }
    }
}

TEST(MathSymbols, DelimitersPairLikeNestedGroups) {
    Faces::registerFrom();
    struct Case {
        const char* tex;
        std::vector<std::pair<int, int>> pairs;
    };
    const Case cases[] = {
        {"|x|", {{0, 2}}},
        {"|a\\|b|", {}},                // each bar finds a different bar on top and opens
        {"(x]", {{0, 2}}},              // a closer takes whatever is open
        {"(a[b]c)", {{2, 4}, {0, 6}}},  // in the order they close
        {")x(", {}},
        {"(x", {}},
        {"(x)^2", {{0, 2}}},            // a scripted closer still closes
        {"(^2x)", {}},                  // a scripted opener pairs with nothing
        {"|x|^2", {{0, 2}}},
        {"|x|_1 + |y|", {{0, 2}, {4, 6}}},
        {"\\lvert x \\rvert", {{0, 2}}},
        {"\\{x\\}", {{0, 2}}},
        {"\\langle x, (y) \\rangle", {{3, 5}, {0, 6}}},
        {"a < b > c", {}},              // comparison signs are not angle brackets
        {"(|x)|", {{1, 3}}},            // the bar opens, ")" closes it, the last bar opens
    };
    MathInk ink(1);
    for (const Case& c : cases) EXPECT_EQ(ink.fences(items(c.tex)), c.pairs) << c.tex;
}

TEST(MathSymbols, DelimitersAroundTallContentStretch) {
    Faces::registerFrom();
    MathInk ink(1);
    // A fraction is tall: both parentheses grow to cover it.
    auto row = kids(*ink.layout(parse("(\\frac{1}{2})"), kSetAt, Ink::ink, false));
    ASSERT_EQ(row.size(), 3u);
    const auto& frac = *row[1].box;
    const double half = std::max({frac.a - 6, frac.d + 6, 10.0}) + 1.6;
    for (size_t i : {0u, 2u}) {
        EXPECT_TRUE(row[i].box->tall);
        EXPECT_NEAR(row[i].box->w, 6 + 0.06 * 2 * half, 1e-9);
        EXPECT_GE(row[i].box->a, 6 + half);
    }
    // A scripted closer grows its base and keeps its script.
    auto scripted = kids(*ink.layout(parse("(\\frac{1}{2})^2"), kSetAt, Ink::ink, false));
    auto base = kids(*scripted.at(2).box).at(0).box;
    EXPECT_TRUE(base->tall);
    EXPECT_EQ(kids(*scripted.at(2).box).size(), 2u);
    // Ordinary content, an empty pair and an unmatched opener keep the font's glyphs.
    for (const char* tex : {"(x)", "()", "(\\frac{1}{2}"}) {
        auto k = kids(*ink.layout(parse(tex), kSetAt, Ink::ink, false));
        EXPECT_FALSE(k.at(0).box->tall) << tex;
        EXPECT_EQ(glyphs(*k.at(0).box).size(), 1u) << tex;
    }
    // Bars stretch around a tall sum too.
    auto bars = kids(*ink.layout(parse("|\\sum x|"), kSetAt, Ink::ink, false));
    EXPECT_TRUE(bars.front().box->tall);
    EXPECT_TRUE(bars.back().box->tall);
}
