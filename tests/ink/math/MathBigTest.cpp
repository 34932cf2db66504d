#include "MathProbe.h"

#include "ink/ops/TextOp.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace nolby;
using namespace nolby::probe;

namespace {

constexpr double S = 20;

// The texts of the operations in writing order, strokes as "StrokeOp".
std::vector<std::string> written(const std::string& tex, bool display = false) {
    Faces::registerFrom();
    std::vector<InkOpRef> ops;
    std::vector<MathInk::Note> notes;
    MathInk(4).draw(tex, S, Ink::ink, display, 0, 0, ops, notes);
    std::vector<std::string> out;
    for (const auto& op : ops) {
        if (auto t = dynamic_cast<const TextOp*>(op.get())) out.push_back(t->text);
        else out.push_back(op->className());
    }
    return out;
}

uint64_t ellipseDraws(double w, double h) {
    Rough r(1, 0.7, 0.682, 2, 0.62);
    Rng before = r.rnd;
    Path p;
    r.ellipse(p, 0, 0, w, h, 1);
    return drawsBetween(before, r.rnd);
}

// The size the first glyph of a laid-out row is set at.
double glyphSize(const MathInk::Box& row) { return glyphs(*kids(row).at(0).box).at(0).first.size; }

}  // namespace

TEST(MathBig, IntegralsHaveTheirLimitsBesideTheSign) {
    struct Case {
        const char* name;
        bool display;
        double g;             // the sign's height
        double upX, lowX;     // where the limits start
        uint64_t draws;
    };
    const uint64_t ring = ellipseDraws(0.32 * S, 0.3 * S);
    const Case cases[] = {
        {"int", false, 28, 11.6, 5.6, 14},
        {"int", true, 42, 11.6, 5.6, 14},  // display: taller, limits still beside it
        {"iint", false, 28, 17.1, 11.1, 28},
        {"oint", false, 28, 11.6, 5.6, 14 + ring},
    };
    for (const Case& c : cases) {
        MathInk ink(2);
        Faces::registerFrom();
        Rng before = ink.rough.rnd;
        auto box = ink.big(c.name, parse("0"), parse("1"), S, Ink::ink, c.display);
        // The limits are laid out first; the sign's draws come after theirs (glyphs draw none).
        EXPECT_EQ(drawsBetween(before, ink.rough.rnd), c.draws) << c.name;
        auto k = kids(*box);
        ASSERT_EQ(k.size(), 2u) << c.name;
        const auto& up = k[0];
        const auto& low = k[1];
        EXPECT_NEAR(up.x, c.upX, 1e-9) << c.name;
        EXPECT_NEAR(low.x, c.lowX, 1e-9) << c.name;
        EXPECT_NEAR(up.y, -0.66 * c.g + 0.75 * up.box->a, 1e-9) << c.name;
        EXPECT_NEAR(low.y, 0.34 * c.g + 0.55 * low.box->a, 1e-9) << c.name;
        EXPECT_DOUBLE_EQ(glyphSize(*up.box), 12) << c.name;  // max(0.6 × 20, 8.649)
        EXPECT_GE(box->a, 0.66 * c.g) << c.name;
        EXPECT_GE(box->d, 0.34 * c.g) << c.name;
        EXPECT_NEAR(box->w, 0.12 * S + std::max({c.upX + up.box->w, c.lowX + low.box->w}), 1e-9) << c.name;
        EXPECT_TRUE(box->tall) << c.name;
        EXPECT_EQ(strokes(*box).at(0).second, -1) << c.name;
    }
    // Inline at size 20 the sign runs from −18.48 to 9.52.
    MathInk ink(2);
    auto bare = ink.big("int", nullptr, nullptr, S, Ink::ink, false);
    EXPECT_GE(bare->a, 18.48);
    EXPECT_GE(bare->d, 9.52);
    EXPECT_NEAR(bare->w, 0.62 * S, 1e-9);
    // Small inline maths keeps its limits legible.
    auto small = ink.big("int", parse("0"), nullptr, 10, Ink::ink, false);
    EXPECT_EQ(glyphSize(*kids(*small).at(0).box), 8.649);
    // The sign is written before its limits.
    EXPECT_EQ(written("\\int_0^1"), (std::vector<std::string>{"StrokeOp", "0", "1"}));
}

TEST(MathBig, SumLimitsStandBesideInlineAndAboveAndBelowInDisplay) {
    MathInk ink(5);
    Faces::registerFrom();
    // Inline: h = 19, W = 14.82, top = −15.88, bottom = 3.88.
    auto inl = ink.big("sum", parse("i=1"), parse("n"), S, Ink::ink, false);
    auto k = kids(*inl);
    ASSERT_EQ(k.size(), 2u);
    const auto& up = k[0];
    const auto& low = k[1];
    EXPECT_NEAR(up.x, 14.82 + 1.2, 1e-9);
    EXPECT_NEAR(low.x, 14.82 + 1.2, 1e-9);
    EXPECT_NEAR(up.y, -15.88 + 0.5 * up.box->a, 1e-9);
    EXPECT_NEAR(low.y, 3.88 + 0.3 * low.box->a, 1e-9);
    EXPECT_NEAR(inl->w, 14.82 + std::max(up.box->w, low.box->w) + 2.4, 1e-9);
    EXPECT_GE(inl->a, 1.4 + 15.88);
    EXPECT_GE(inl->d, 3 + 3.88);
    EXPECT_TRUE(inl->tall);

    // Display: h = 27, W = 21.06, top = −20.04, bottom = 8.04; the whole is as wide as its
    // widest part plus 0.1 × size, everything centred.
    for (const char* lower : {"i=1", "i=1,2,3,4,5,6"}) {
        MathInk flat = flatInk(5);
        auto disp = flat.big("sum", parse(lower), parse("n"), S, Ink::ink, true);
        auto d = kids(*disp);
        const auto& u = d[0];
        const auto& l = d[1];
        const double v = std::max({u.box->w, 21.06, l.box->w}) + 2;
        EXPECT_NEAR(disp->w, v, 1e-9) << lower;
        EXPECT_NEAR(u.x, (v - u.box->w) / 2, 1e-9) << lower;
        EXPECT_NEAR(l.x, (v - l.box->w) / 2, 1e-9) << lower;
        EXPECT_NEAR(u.y, -20.04 - 2.8 - u.box->d, 1e-9) << lower;
        EXPECT_NEAR(l.y, 8.04 + 2.8 + l.box->a, 1e-9) << lower;
        Rect sign = strokes(*disp).at(0).first.path.boundingBox();
        EXPECT_NEAR(sign.minX(), (v - 21.06) / 2, 1e-9) << lower;
        EXPECT_NEAR(sign.maxX(), (v - 21.06) / 2 + 1.02 * 21.06, 1e-9) << lower;
        EXPECT_NEAR(sign.minY(), -20.04, 1e-9) << lower;
        EXPECT_NEAR(sign.maxY(), 8.04, 1e-9) << lower;
    }
}

TEST(MathBig, SummationSignsDrawTheirStrokes) {
    Faces::registerFrom();
    const std::pair<const char*, uint64_t> cases[] = {{"sum", 66}, {"prod", 33}, {"bigcup", 10}, {"bigcap", 10}};
    for (auto [name, draws] : cases) {
        for (bool display : {false, true}) {
            MathInk ink(6);
            Rng before = ink.rough.rnd;
            auto box = ink.big(name, nullptr, nullptr, S, Ink::ink, display);
            EXPECT_EQ(drawsBetween(before, ink.rough.rnd), draws) << name;
            EXPECT_TRUE(box->tall) << name;
            ASSERT_EQ(strokes(*box).size(), 1u) << name;
            EXPECT_EQ(strokes(*box)[0].second, -1) << name;
        }
    }
    // The product's top bar overhangs its legs; the cap is the cup upside down.
    MathInk flat = flatInk();
    auto prod = segments(strokes(*flat.big("prod", nullptr, nullptr, S, Ink::ink, false)).at(0).first.path);
    ASSERT_EQ(prod.size(), 3u);
    EXPECT_NEAR(prod[0].first.x, -0.04 * 14.82, 1e-9);
    EXPECT_NEAR(prod[0].second.x, 1.04 * 14.82, 1e-9);
    EXPECT_NEAR(prod[1].second.y, 3.88, 1e-9);
    auto cup = strokes(*flat.big("bigcup", nullptr, nullptr, S, Ink::ink, false)).at(0).first.path.boundingBox();
    auto cap = strokes(*flat.big("bigcap", nullptr, nullptr, S, Ink::ink, false)).at(0).first.path.boundingBox();
    EXPECT_NEAR(cup.maxY(), 3.88, 1e-9);
    EXPECT_NEAR(cap.minY(), -15.88, 1e-9);
}

TEST(MathBig, NamedOperatorsTakeTheirLimitsUnderAndOverTheName) {
    Faces::registerFrom();
    for (bool display : {false, true}) {
        MathInk ink(8);
        auto box = ink.big("lim", parse("x\\to 0"), parse("y"), S, Ink::ink, display);
        const auto name = MathInk::metrics("lim");
        const double nw = name.w * S, nd = S * std::max(0.0, name.ink.maxY());
        auto g = glyphs(*box);
        ASSERT_EQ(g.size(), 1u);
        auto k = kids(*box);
        ASSERT_EQ(k.size(), 2u);
        const auto& low = k[0];
        const auto& up = k[1];
        EXPECT_NEAR(box->w, 2.4 + std::max({low.box->w, up.box->w, nw}), 1e-9);
        EXPECT_EQ(g[0].first.s, "lim");
        EXPECT_NEAR(g[0].first.x, (box->w - nw) / 2, 1e-9);
        EXPECT_EQ(g[0].second, 0);
        EXPECT_NEAR(low.x, (box->w - low.box->w) / 2, 1e-9);
        EXPECT_NEAR(low.y, std::max(5.6, 2.4 + nd) + low.box->a, 1e-9);
        EXPECT_NEAR(up.y, -16.4 - up.box->d, 1e-9);
        EXPECT_GE(box->a, 0.74 * S);
        EXPECT_GE(box->d, std::max(nd, 4.0));
        EXPECT_FALSE(box->tall);
    }
    MathInk ink(8);
    EXPECT_EQ(glyphs(*ink.big("limsup", nullptr, nullptr, S, Ink::ink, false)).at(0).first.s, "lim sup");
    EXPECT_EQ(glyphs(*ink.big("liminf", nullptr, nullptr, S, Ink::ink, false)).at(0).first.s, "lim inf");
    EXPECT_EQ(glyphs(*ink.big("max", nullptr, nullptr, S, Ink::ink, false)).at(0).first.s, "max");
    EXPECT_TRUE(ink.big("lim", parse("\\frac{1}{n}"), nullptr, S, Ink::ink, false)->tall);
    // Name, lower limit, upper limit, whatever their x.
    EXPECT_EQ(written("\\lim_{x}^{y}"), (std::vector<std::string>{"lim", "x", "y"}));
}

TEST(MathAccent, MarksSitOverTheBodysInk) {
    struct Case {
        const char* name;
        const char* body;
        // Expected horizontal extent of the mark from the body's ink (l, r) and centre c.
        double (*left)(double l, double r, double c);
        double (*right)(double l, double r, double c);
        double y;          // the mark's top above t = −(a + 2.4), in points (0: level with t)
        double extraA;     // added to the body's ascent
    };
    const Case cases[] = {
        {"hat", "i", [](double, double, double c) { return c - 4; }, [](double, double, double c) { return c + 4; }, -3.2, 5.2},
        {"widehat", "i", [](double, double, double c) { return c - 4; }, [](double, double, double c) { return c + 4; }, -3.2, 5.2},
        {"widehat", "xyzw", [](double l, double, double) { return l; }, [](double, double r, double) { return r; }, -3.2, 5.2},
        {"bar", "x", [](double l, double, double) { return l - 0.4; }, [](double, double r, double) { return r + 0.4; }, 0, 5.2},
        {"overline", "x", [](double l, double, double) { return l + 0.4; }, [](double, double r, double) { return r - 0.4; }, 0, 5.2},
        {"vec", "i", [](double, double, double c) { return c - 4; }, [](double, double, double c) { return c + 4.8; }, -1, 5.2},
        {"vec", "xyzw", [](double l, double, double) { return l; }, [](double, double r, double) { return r + 0.8; }, -1, 5.2},
        {"overrightarrow", "AB", [](double l, double, double) { return l; }, [](double, double r, double) { return r + 0.8; }, -1, 5.2},
    };
    for (const Case& c : cases) {
        MathInk ink = flatInk();
        auto body = ink.layout(parse(c.body), S, Ink::ink, false);
        auto box = ink.accent(c.name, parse(c.body), S, Ink::ink, false);
        const double l = body->inkL, r = body->inkR, mid = (l + r) / 2, t = -(body->a + 2.4);
        auto ss = strokes(*box);
        ASSERT_EQ(ss.size(), 1u) << c.name;
        Rect mark = ss[0].first.path.boundingBox();
        const std::string what = std::string(c.name) + " " + c.body;
        EXPECT_NEAR(mark.minX(), c.left(l, r, mid), 1e-9) << what;
        EXPECT_NEAR(mark.maxX(), c.right(l, r, mid), 1e-9) << what;
        if (c.y == 0) {
            EXPECT_NEAR(mark.minY(), t, 1e-9) << what;
            EXPECT_NEAR(mark.maxY(), t, 1e-9) << what;
        } else if (c.y < -2) {
            EXPECT_NEAR(mark.minY(), t + c.y, 1e-9) << what;  // the hat's peak
            EXPECT_NEAR(mark.maxY(), t + 0.4, 1e-9) << what;
        }
        EXPECT_DOUBLE_EQ(ss[0].first.width, 0.085 * 0.9 * S) << what;
        EXPECT_EQ(ss[0].second, 1) << what;
        EXPECT_EQ(box->w, body->w) << what;
        EXPECT_EQ(box->inkL, l) << what;
        EXPECT_EQ(box->inkR, r) << what;
        EXPECT_GE(box->a, body->a + c.extraA) << what;
        EXPECT_EQ(box->d, body->d) << what;
    }
    // The body is written before its mark.
    EXPECT_EQ(written("\\hat{x}"), (std::vector<std::string>{"x", "StrokeOp"}));
}

TEST(MathAccent, UnderlineDotsNotAndTilde) {
    MathInk ink = flatInk();
    auto body = ink.layout(parse("x"), S, Ink::ink, false);
    const double c = (body->inkL + body->inkR) / 2, t = -(body->a + 2.4);

    auto under = ink.accent("underline", parse("x"), S, Ink::ink, false);
    Rect line = strokes(*under).at(0).first.path.boundingBox();
    EXPECT_NEAR(line.minX(), body->inkL, 1e-9);
    EXPECT_NEAR(line.maxX(), body->inkR, 1e-9);
    EXPECT_NEAR(line.minY(), body->d + 1.6, 1e-9);
    EXPECT_EQ(under->a, body->a);
    EXPECT_NEAR(under->d, body->d + 2.4, 1e-9);

    // A dot is a tiny exact segment with a wide pen; it still adds 0.26 × size of ascent.
    for (auto [name, centres] : {std::pair{"dot", std::vector<double>{0}}, {"ddot", std::vector<double>{-2, 2}}}) {
        Rng before = ink.rough.rnd;
        auto box = ink.accent(name, parse("x"), S, Ink::ink, false);
        EXPECT_EQ(ink.rough.rnd, before) << name;
        auto s = strokes(*box).at(0).first;
        EXPECT_DOUBLE_EQ(s.width, 0.11 * S);
        auto seg = segments(s.path);
        ASSERT_EQ(seg.size(), centres.size()) << name;
        for (size_t i = 0; i < seg.size(); ++i) {
            EXPECT_NEAR(seg[i].first.x, c + centres[i] - 0.16, 1e-9) << name;
            EXPECT_NEAR(seg[i].first.y, t + 0.08, 1e-9) << name;
            EXPECT_NEAR(seg[i].second.x, c + centres[i] + 0.16, 1e-9) << name;
            EXPECT_NEAR(seg[i].second.y, t - 0.08, 1e-9) << name;
        }
        EXPECT_NEAR(box->a, body->a + 5.2, 1e-9) << name;
    }

    // \not= keeps the relation's spacing and adds no ascent, but fitting covers the slash.
    auto eq = ink.layout(parse("="), S, Ink::ink, false);
    auto notEq = ink.accent("not", parse("="), S, Ink::ink, false);
    EXPECT_NEAR(notEq->a, std::max(eq->a, 13.2 + 0.085 * 0.9 * S / 2), 1e-9);
    EXPECT_EQ(ink.kind(parse("\\not=")->as<MathInk::M::Row>()->items.at(0)), math::Kind::rel);

    // Tildes: 0.4 × size wide over a narrow body, as wide as the ink over a wide one.
    Rect tilde = strokes(*ink.accent("tilde", parse("x"), S, Ink::ink, false)).at(0).first.path.boundingBox();
    EXPECT_NEAR(tilde.minX(), c - 4, 1e-9);
    EXPECT_NEAR(tilde.maxX(), c + 4, 1e-9);
    auto wide = ink.layout(parse("xyzw"), S, Ink::ink, false);
    Rect wt = strokes(*ink.accent("widetilde", parse("xyzw"), S, Ink::ink, false)).at(0).first.path.boundingBox();
    EXPECT_NEAR(wt.minX(), wide->inkL, 1e-9);
    EXPECT_NEAR(wt.maxX(), wide->inkR, 1e-9);

    // An empty body gives an accent over a zero-width box at x 0.
    auto empty = ink.accent("hat", parse(""), S, Ink::ink, false);
    EXPECT_EQ(empty->w, 0);
    Rect hat = strokes(*empty).at(0).first.path.boundingBox();
    EXPECT_NEAR(hat.midX(), 0, 1e-9);
}
